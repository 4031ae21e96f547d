#include "support/text/SavedFile.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <unistd.h>

namespace kv {

namespace {

std::string Reason(const std::string& path, int error)
{
    return path + ": " + std::strerror(error);
}

// In the file's own folder, so that the rename cannot cross file systems.
int CreateTemporary(const std::string& path, std::string& temporary)
{
    for (int attempt = 0; attempt < 100; ++attempt) {
        temporary = path + ".~" + std::to_string(getpid()) + "-" + std::to_string(attempt);
        const int fd = open(temporary.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        if (fd >= 0 || errno != EEXIST)
            return fd;
    }
    return -1;
}

bool WriteAll(int fd, std::string_view bytes)
{
    while (!bytes.empty()) {
        const ssize_t written = write(fd, bytes.data(), bytes.size());
        if (written < 0 && errno == EINTR)
            continue;
        if (written <= 0)
            return false;
        bytes.remove_prefix(static_cast<size_t>(written));
    }
    return true;
}

// Flushed to the disk before the rename, so that a power cut leaves the old file or the new.
int Commit(const std::string& temporary, const std::string& path)
{
    const int fd = open(temporary.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0 || fsync(fd) != 0) {
        const int error = errno;
        if (fd >= 0)
            close(fd);
        return error;
    }
    close(fd);
    return std::rename(temporary.c_str(), path.c_str()) == 0 ? 0 : errno;
}

}  // namespace

std::string SaveFileWith(const std::string& path,
                         const std::function<bool(const std::string& temporary)>& write)
{
    std::string temporary;
    const int fd = CreateTemporary(path, temporary);
    if (fd < 0)
        return Reason(path, errno);
    close(fd);
    errno = 0;
    int error = write(temporary) ? 0 : (errno != 0 ? errno : EIO);
    if (error == 0)
        error = Commit(temporary, path);
    if (error != 0) {
        std::remove(temporary.c_str());
        return Reason(path, error);
    }
    return {};
}

std::string SaveFileBytes(const std::string& path, std::string_view bytes)
{
    return SaveFileWith(path, [bytes](const std::string& temporary) {
        const int fd = open(temporary.c_str(), O_WRONLY | O_TRUNC | O_CLOEXEC);
        if (fd < 0)
            return false;
        const bool written = WriteAll(fd, bytes);
        const int error = errno;
        if (close(fd) != 0 || !written) {
            if (!written)
                errno = error;
            return false;
        }
        return true;
    });
}

}  // namespace kv
