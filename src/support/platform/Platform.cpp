#include "support/platform/Platform.h"

#include <fcntl.h>
#include <sched.h>
#include <sys/mman.h>
#include <sys/resource.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <cstdio>
#include <cstdlib>

namespace kv {

namespace {
std::atomic<TPlatform*> installed{nullptr};

#if defined(__SANITIZE_ADDRESS__)
constexpr bool kAddressSanitizer = true;
#elif defined(__has_feature)
constexpr bool kAddressSanitizer = __has_feature(address_sanitizer);
#else
constexpr bool kAddressSanitizer = false;
#endif
}  // namespace

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

int TPlatform::SetRealTime(int thread, int priority, bool on)
{
    // Threads started meanwhile (a file sync, a decoder) keep normal scheduling. Once set the
    // flag stays: only CAP_SYS_NICE may clear it.
    // A thread that ended may have left its id to another process's.
    if (access(("/proc/self/task/" + std::to_string(thread)).c_str(), F_OK) != 0)
        return ESRCH;
    const sched_param param{on ? priority : 0};
    const int policy = (on ? SCHED_FIFO : SCHED_OTHER) | SCHED_RESET_ON_FORK;
    return sched_setscheduler(thread, policy, &param) == 0 ? 0 : errno;
}

int TPlatform::LockMemory(bool on)
{
    if (!on)
        return munlockall() == 0 ? 0 : errno;
    // The sanitizer's shadow memory is terabytes of address space: locked, it would be taken.
    // Left unlocked by the build's choice, not refused by the system: nothing to log.
    if (kAddressSanitizer)
        return 0;
    // Under a finite RLIMIT_MEMLOCK, pages locked as they come would fail an allocation of the
    // running show at the limit: then only the pages there now are locked.
    rlimit limit{};
    const bool unlimited = getrlimit(RLIMIT_MEMLOCK, &limit) == 0 && limit.rlim_cur == RLIM_INFINITY;
    return mlockall(MCL_CURRENT | (unlimited ? MCL_FUTURE : 0)) == 0 ? 0 : errno;
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
