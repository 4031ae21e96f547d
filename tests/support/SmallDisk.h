#pragma once
// A small file system (tmpfs) mounted on a folder for one test, to fill up or to turn
// read-only under a program writing to it. It needs root; it is mounted in a mount namespace
// of this thread's own, so nothing outlives the test process, and the threads started after
// it see it too.

#include <sys/mount.h>
#include <sys/statvfs.h>
#include <sched.h>

#include <cerrno>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <string>

namespace kvtest {

class TSmallDisk {
public:
    TSmallDisk(const std::string& folder, size_t bytes) : folder_(folder)
    {
        std::filesystem::create_directories(folder);
        static const int unshared = PrivateMounts();
        if (unshared != 0) {
            problem_ = std::string("no mount namespace: ") + std::strerror(unshared);
            return;
        }
        const std::string options = "size=" + std::to_string(bytes);
        if (mount("tmpfs", folder.c_str(), "tmpfs", 0, options.c_str()) != 0)
            problem_ = std::string("tmpfs not mounted: ") + std::strerror(errno);
    }
    ~TSmallDisk()
    {
        if (problem_.empty())
            umount2(folder_.c_str(), MNT_DETACH);
    }
    TSmallDisk(const TSmallDisk&) = delete;
    TSmallDisk& operator=(const TSmallDisk&) = delete;

    // Empty when mounted; else why not (the test is then skipped).
    const std::string& Problem() const { return problem_; }

    // Takes every free block but the last `pages` pages.
    void Fill(size_t pages = 0) const
    {
        struct statvfs info {};
        statvfs(folder_.c_str(), &info);
        const size_t left = pages * info.f_bsize;
        const size_t free = info.f_bavail * info.f_bsize;
        std::ofstream(folder_ + "/filler", std::ios::binary)
            << std::string(free > left ? free - left : 0, '\0');
    }
    void MakeReadOnly() const
    {
        mount(nullptr, folder_.c_str(), nullptr, MS_REMOUNT | MS_RDONLY, nullptr);
    }
    void MakeWritable() const
    {
        mount(nullptr, folder_.c_str(), nullptr, MS_REMOUNT, nullptr);
        std::filesystem::remove(folder_ + "/filler");
    }

private:
    static int PrivateMounts()
    {
        if (unshare(CLONE_NEWNS) != 0 ||
            mount(nullptr, "/", nullptr, MS_REC | MS_PRIVATE, nullptr) != 0)
            return errno;
        return 0;
    }

    std::string folder_;
    std::string problem_;
};

}  // namespace kvtest
