#include "support/Platform.h"

#include <atomic>
#include <cstdio>
#include <cstdlib>

namespace kv {

namespace {
std::atomic<TPlatform*> installed{nullptr};
}

TPlatform& Platform()
{
    TPlatform* platform = installed.load(std::memory_order_acquire);
    if (!platform) {
        std::fputs("korvane: no platform services installed\n", stderr);
        std::abort();
    }
    return *platform;
}

TPlatform* InstalledPlatform()
{
    return installed.load(std::memory_order_acquire);
}

void InstallPlatform(TPlatform* platform)
{
    installed.store(platform, std::memory_order_release);
}

}  // namespace kv
