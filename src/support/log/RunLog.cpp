#include "support/log/RunLog.h"

#include "support/text/Conversions.h"
#include "support/platform/Platform.h"
#include "support/text/TextEncoding.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <deque>
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
    // Whole lines, encoded, that no file took yet: the oldest first.
    std::deque<std::string> waiting;
    std::function<std::string()> claimSecond;
    bool secondTried = false;
    TLogTrouble trouble;
    std::function<void()> onTrouble;
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

std::string CurrentFile(const TLogState& state)
{
    return state.fileName.empty() ? DefaultLogFileName() : state.fileName;
}

std::string StampedLine(const std::string& message)
{
    return EncodeCp1251(DateTimeText(LocalTimeNow()) + ": " + message) + "\r\n";
}

bool WriteAll(int fd, const std::string& bytes)
{
    size_t done = 0;
    while (done < bytes.size()) {
        const ssize_t written = write(fd, bytes.data() + done, bytes.size() - done);
        if (written < 0 && errno == EINTR)
            continue;
        if (written <= 0) {
            if (written == 0)
                errno = ENOSPC;
            return false;
        }
        done += static_cast<size_t>(written);
    }
    return true;
}

// An open log file, locked: another program appending to the same file waits for the line.
class TOpenLog {
public:
    explicit TOpenLog(const std::string& path)
        : fd_(open(path.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0644))
    {
        if (fd_ >= 0)
            flock(fd_, LOCK_EX);
        else
            error_ = errno;
    }
    ~TOpenLog()
    {
        if (fd_ >= 0)
            close(fd_);
    }
    int Fd() const { return fd_; }
    int Error() const { return error_; }
    // The first error, or the one closing gives (a full disk may show only there).
    int Close()
    {
        if (fd_ >= 0 && close(fd_) != 0 && error_ == 0)
            error_ = errno;
        fd_ = -1;
        return error_;
    }
    bool Fail()
    {
        if (error_ == 0)
            error_ = errno != 0 ? errno : EIO;
        return false;
    }

private:
    int fd_;
    int error_ = 0;
};

// Appends a whole line at the end; a line cut short by the fault is taken back, so the
// lines written before stay whole. 0 or the error.
int AppendWhole(const std::string& path, const std::string& line, off_t* lineStart)
{
    TOpenLog file(path);
    if (file.Fd() < 0)
        return file.Error();
    struct stat info {};
    if (fstat(file.Fd(), &info) != 0 || lseek(file.Fd(), 0, SEEK_END) < 0) {
        file.Fail();
        return file.Close();
    }
    *lineStart = info.st_size;
    if (!WriteAll(file.Fd(), line)) {
        file.Fail();
        if (ftruncate(file.Fd(), info.st_size) != 0) {
            // Nothing more can be done: the lines before the cut piece stay as they were.
        }
    }
    return file.Close();
}

// Rewrites the last line with the repeat count. 0 or the error.
int RewriteRepeat(TLogState& state, const std::string& path, const std::string& line)
{
    TOpenLog file(path);
    if (file.Fd() < 0)
        return file.Error();
    struct stat info {};
    if (fstat(file.Fd(), &info) != 0) {
        file.Fail();
        return file.Close();
    }
    off_t start = info.st_size;
    if (state.lastLineStart >= 0 && state.lastLineStart <= info.st_size)
        start = state.lastLineStart;
    // Overwrite first and cut only what is left over: shrinking a file makes ext4 flush it
    // at close, which would cost milliseconds per repeat.
    const off_t end = start + static_cast<off_t>(line.size());
    if (lseek(file.Fd(), start, SEEK_SET) < 0 || !WriteAll(file.Fd(), line) ||
        (end < info.st_size && ftruncate(file.Fd(), end) != 0))
        file.Fail();
    return file.Close();
}

void NoteFailure(TLogState& state, const std::string& path, int error)
{
    state.trouble.reason = std::strerror(error);
    state.trouble.failedFile = path;
}

// Writes the waiting lines, oldest first; after a failure in the log's own file the log
// goes on in the second folder's file, which first says where the record began.
void WriteWaiting(TLogState& state)
{
    while (!state.waiting.empty()) {
        const std::string path = CurrentFile(state);
        off_t start = 0;
        const int error = AppendWhole(path, state.waiting.front(), &start);
        if (error == 0) {
            state.waiting.pop_front();
            continue;
        }
        NoteFailure(state, path, error);
        if (state.secondTried || !state.claimSecond)
            break;
        state.secondTried = true;
        const std::string second = state.claimSecond();
        if (second.empty())
            break;
        state.fileName = second;
        state.waiting.push_front(
            StampedLine("Журнал продолжен после ошибки записи (" + state.trouble.reason +
                        "): " + path));
    }
    // Whatever was written, the next message starts a line of its own.
    state.lastMessage.reset();
}

void UpdateTrouble(TLogState& state)
{
    state.trouble.failing = !state.waiting.empty();
    state.trouble.waitingLines = static_cast<int>(state.waiting.size());
    state.trouble.file = CurrentFile(state);
}

bool SameTrouble(const TLogTrouble& a, const TLogTrouble& b)
{
    return a.failing == b.failing && a.waitingLines == b.waitingLines &&
           a.reason == b.reason && a.failedFile == b.failedFile && a.file == b.file;
}

// Returns whether the trouble changed.
bool Append(TLogState& state, const std::string& message)
{
    const TLogTrouble before = state.trouble;
    const std::string path = CurrentFile(state);
    if (state.waiting.empty()) {
        int error = 0;
        if (message != state.lastMessage) {
            off_t start = 0;
            // One retry: a write interrupted once is not yet a fault.
            const std::string line = StampedLine(message);
            error = AppendWhole(path, line, &start);
            if (error != 0)
                error = AppendWhole(path, line, &start);
            if (error == 0) {
                state.lastMessage = message;
                state.lastLineStart = start;
                state.repeatCount = 1;
                return false;
            }
        } else if (!message.empty()) {
            const int32_t count = state.repeatCount + 1;
            error = RewriteRepeat(state, path,
                                  StampedLine(message + " ( X " + IntToText(count) + " )"));
            if (error == 0) {
                state.repeatCount = count;
                return false;
            }
        } else {
            return false;
        }
        NoteFailure(state, path, error);
    }
    state.waiting.push_back(StampedLine(message));
    WriteWaiting(state);
    UpdateTrouble(state);
    return !SameTrouble(before, state.trouble);
}

void Notify(const std::function<void()>& handler, bool changed)
{
    if (changed && handler)
        handler();
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

    std::function<void()> handler;
    bool changed = false;
    {
        std::lock_guard guard(state.lock);
        if (state.disabled)
            return;
        changed = Append(state, message);
        handler = state.onTrouble;
    }
    Notify(handler, changed);
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
    state.waiting.clear();
    state.secondTried = false;
    state.trouble = {};
    state.trouble.file = CurrentFile(state);
}

std::string LogFileName()
{
    TLogState& state = State();
    std::lock_guard guard(state.lock);
    return CurrentFile(state);
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
    return !state.disabled && state.waiting.empty();
}

void SwitchOffLogFile()
{
    TLogState& state = State();
    std::lock_guard guard(state.lock);
    state.disabled = true;
}

void SetLogSecondFile(std::function<std::string()> claim)
{
    TLogState& state = State();
    std::lock_guard guard(state.lock);
    state.claimSecond = std::move(claim);
}

TLogTrouble LogTrouble()
{
    TLogState& state = State();
    std::lock_guard guard(state.lock);
    return state.trouble;
}

void SetLogTroubleHandler(std::function<void()> handler)
{
    TLogState& state = State();
    std::lock_guard guard(state.lock);
    state.onTrouble = std::move(handler);
}

void SyncLog()
{
    TLogState& state = State();
    std::string path;
    std::function<void()> handler;
    bool changed = false;
    {
        std::lock_guard guard(state.lock);
        if (state.disabled)
            return;
        // Lines kept in memory are tried again every time, even when nothing new is logged.
        if (!state.waiting.empty()) {
            const TLogTrouble before = state.trouble;
            WriteWaiting(state);
            UpdateTrouble(state);
            changed = !SameTrouble(before, state.trouble);
            handler = state.onTrouble;
        }
        path = CurrentFile(state);
    }
    Notify(handler, changed);
    auto done = [path](int error) {
        if (error == 0)
            return;
        TLogState& log = State();
        std::function<void()> handler;
        {
            std::lock_guard guard(log.lock);
            if (path != CurrentFile(log))
                return;
            NoteFailure(log, path, error);
            UpdateTrouble(log);
            handler = log.onTrouble;
        }
        Notify(handler, true);
    };
    if (TPlatform* platform = InstalledPlatform())
        platform->SyncFile(path, done);
    else
        done(SyncFileNow(path));
}

}  // namespace kv
