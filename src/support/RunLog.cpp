#include "support/RunLog.h"

#include "support/Conversions.h"
#include "support/Platform.h"
#include "support/TextEncoding.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <mutex>
#include <optional>

namespace kv {

namespace {

struct TLogState {
    std::mutex lock;
    int level = 3;
    std::string fileName;
    bool disabled = false;
    std::optional<std::string> lastMessage;  // empty: nothing written yet
    off_t lastLineStart = 0;
    int32_t repeatCount = 0;
};

TLogState& State()
{
    static TLogState state;
    return state;
}

std::string DefaultLogFileName()
{
    std::string path = AppFilePath();
    if (path.empty())
        return "korvane.log";
    const size_t dot = path.find_last_of('.');
    if (dot != std::string::npos && dot > path.find_last_of('/') + 1)
        path.erase(dot);
    return path + ".log";
}

std::string NowText()
{
    return DateTimeText(LocalTimeNow());
}

bool WriteAll(int fd, const std::string& bytes)
{
    size_t done = 0;
    while (done < bytes.size()) {
        const ssize_t written = write(fd, bytes.data() + done, bytes.size() - done);
        if (written < 0 && errno == EINTR)
            continue;
        if (written <= 0)
            return false;
        done += static_cast<size_t>(written);
    }
    return true;
}

// Appends or rewrites the last line; false on any failure of the file.
bool AppendLine(TLogState& state, const std::string& path, const std::string& message)
{
    const int fd = open(path.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0644);
    if (fd < 0)
        return false;
    // Another program appending to the same file must wait for the whole line.
    flock(fd, LOCK_EX);
    bool ok = true;
    struct stat info {};
    if (fstat(fd, &info) != 0) {
        ok = false;
    } else if (message != state.lastMessage) {
        state.lastMessage = message;
        state.lastLineStart = info.st_size;
        state.repeatCount = 1;
        ok = lseek(fd, 0, SEEK_END) >= 0 &&
             WriteAll(fd, EncodeCp1251(NowText() + ": " + message) + "\r\n");
    } else if (!message.empty()) {
        off_t start = info.st_size;
        if (state.lastLineStart >= 0 && state.lastLineStart <= info.st_size)
            start = state.lastLineStart;
        ++state.repeatCount;
        const std::string line = EncodeCp1251(NowText() + ": " + message + " ( X " +
                                              IntToText(state.repeatCount) + " )") +
                                 "\r\n";
        // Overwrite first and cut only what is left over: shrinking a file makes ext4 flush
        // it at close, which would cost milliseconds per repeat.
        const off_t end = start + static_cast<off_t>(line.size());
        ok = lseek(fd, start, SEEK_SET) >= 0 && WriteAll(fd, line) &&
             (end >= info.st_size || ftruncate(fd, end) == 0);
    }
    return close(fd) == 0 && ok;
}

}  // namespace

void WriteLog(const std::string& message, int level)
{
    TLogState& state = State();
    {
        std::lock_guard guard(state.lock);
        if (level < 1 || level > state.level)
            return;
    }
    if (TPlatform* platform = InstalledPlatform())
        platform->DebugOutput(message);

    std::lock_guard guard(state.lock);
    if (state.disabled)
        return;
    const std::string path = state.fileName.empty() ? DefaultLogFileName() : state.fileName;
    if (!AppendLine(state, path, message))
        state.disabled = true;
}

void SetLogFileName(const std::string& path)
{
    TLogState& state = State();
    std::lock_guard guard(state.lock);
    state.fileName = path;
    state.disabled = false;
    state.lastMessage.reset();
    state.lastLineStart = 0;
    state.repeatCount = 0;
}

std::string LogFileName()
{
    TLogState& state = State();
    std::lock_guard guard(state.lock);
    return state.fileName.empty() ? DefaultLogFileName() : state.fileName;
}

void SetLogLevel(int level)
{
    TLogState& state = State();
    std::lock_guard guard(state.lock);
    state.level = level;
}

bool LogFileEnabled()
{
    TLogState& state = State();
    std::lock_guard guard(state.lock);
    return !state.disabled;
}

void SwitchOffLogFile()
{
    TLogState& state = State();
    std::lock_guard guard(state.lock);
    state.disabled = true;
}

}  // namespace kv
