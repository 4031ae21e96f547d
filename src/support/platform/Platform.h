#pragma once
// The one seam through which the engine reaches time, timers, threads and the operator.
// Engine code never calls Qt or the system clock directly, so tests can swap in virtual time.

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>

namespace kv {

// A periodic call on the main thread. Created disabled; a disabled timer makes no further calls.
class TTimer {
public:
    virtual ~TTimer() = default;
    virtual void SetInterval(uint32_t ms) = 0;  // may change while running
    virtual uint32_t Interval() const = 0;
    virtual void SetEnabled(bool enabled) = 0;
    virtual bool Enabled() const = 0;
};

enum class TButtons { Ok, YesNo };
enum class TAnswer { Ok, Yes, No };

// The values a Windows power query gives; 255 means "not known" in each field.
struct TPowerStatus {
    uint8_t acLineStatus = 255;        // 0 offline, 1 online
    uint8_t batteryFlag = 255;         // bit 7 set: no battery
    uint8_t batteryLifePercent = 255;  // 0..100
};

class TPlatform {
public:
    virtual ~TPlatform() = default;

    // Milliseconds since an arbitrary start, wrapping at 2^32; take differences modulo 2^32.
    virtual uint32_t TickCount() = 0;
    // Blocks the calling thread; nothing else runs on it meanwhile.
    virtual void Sleep(uint32_t ms) = 0;

    virtual std::unique_ptr<TTimer> CreateTimer(std::function<void()> onTimer) = 0;
    // Runs the call on the main thread and returns when it has finished (runs it at once when
    // already on the main thread).
    virtual void RunOnMainThread(const std::function<void()>& call) = 0;
    virtual bool IsMainThread() = 0;
    // Lets waiting timer calls, key presses and handed-over calls run inside a long operation.
    virtual void ProcessMessages() = 0;

    virtual TAnswer MessageBox(const std::string& text, const std::string& caption,
                               TButtons buttons) = 0;
    virtual std::optional<std::string> InputBox(const std::string& caption,
                                                const std::string& prompt,
                                                const std::string& initial) = 0;
    // filter: "description|patterns|description|patterns…" as in the language file.
    virtual std::optional<std::string> OpenFileName(const std::string& filter) = 0;
    virtual std::optional<std::string> SaveFileName(const std::string& filter,
                                                    const std::string& proposedName) = 0;

    // False when the machine cannot tell.
    virtual bool PowerStatus(TPowerStatus& status) = 0;
    virtual void DebugOutput(const std::string& line) = 0;
    // Uniform in [0, range); range 0 gives 0. Seeded once per process.
    virtual uint32_t Random(uint32_t range) = 0;
    // Brings the file's data and its folder entry to the disk; done(0 or the error), on any
    // thread. This one does it at once; the real platforms do it off the show's thread.
    virtual void SyncFile(const std::string& path, const std::function<void(int error)>& done);

    // A show's threads run at a modest real-time priority (SCHED_FIFO) while it runs, where
    // RLIMIT_RTPRIO or CAP_SYS_NICE allow it; on: false goes back to normal scheduling.
    // thread: the system's thread id (gettid), of this process only (ESRCH otherwise). 0, or
    // the system's error (EPERM: not allowed).
    virtual int SetRealTime(int thread, int priority, bool on);
    // Keeps the program's pages in RAM while a show runs (mlockall), or lets them go.
    // 0, or the system's error (EPERM or ENOMEM: not allowed, or beyond RLIMIT_MEMLOCK).
    virtual int LockMemory(bool on);
};

// fsync of the file and of its folder; 0 or the error.
int SyncFileNow(const std::string& path);

// The process-wide platform. The program (console, kvctl) or the test installs one before
// anything else runs; it is not owned.
TPlatform& Platform();
void InstallPlatform(TPlatform* platform);
// Null before one is installed, for services that also serve tools before start-up.
TPlatform* InstalledPlatform();

}  // namespace kv
