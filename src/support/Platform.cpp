#include "support/Platform.h"

#include <fcntl.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
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

void TPlatform::SyncFile(const std::string& path, const std::function<void(int error)>& done)
{
    done(SyncFileNow(path));
}

int SyncFileNow(const std::string& path)
{
    const size_t slash = path.find_last_of('/');
    const std::string folder = slash == std::string::npos ? "." : path.substr(0, slash + 1);
    for (const std::string& name : {path, folder}) {
        const int fd = open(name.c_str(), O_RDONLY | O_CLOEXEC);
        if (fd < 0)
            return errno;
        const int error = fsync(fd) == 0 ? 0 : errno;
        close(fd);
        // A folder that cannot be synced (some file systems refuse) keeps the file's own sync.
        if (error != 0 && name == path)
            return error;
    }
    return 0;
}

}  // namespace kv
