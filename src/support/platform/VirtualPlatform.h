#pragma once
// Virtual time for engine tests: the clock moves only when the test advances it or a pause
// passes, due timers fire in order, operator prompts are answered from a script.

#include "support/platform/Platform.h"

#include <atomic>
#include <condition_variable>
#include <deque>
#include <mutex>
#include <thread>
#include <vector>

namespace kv {

class TVirtualPlatform : public TPlatform {
public:
    struct TShownMessage {
        std::string text;
        std::string caption;
        TButtons buttons;
    };

    explicit TVirtualPlatform(uint32_t startTick = 1000);
    ~TVirtualPlatform() override;

    // Moves the clock forward, firing every timer call that falls due on the way, in order
    // of due time (timers due together fire in creation order), plus handed-over calls.
    void Advance(uint32_t ms);
    // Advances until the predicate holds or the limit passes; returns whether it held.
    bool AdvanceUntil(const std::function<bool()>& done, uint32_t limitMs, uint32_t stepMs = 1);

    uint32_t TickCount() override;
    // A pause moves the clock but fires no timer: nothing else runs on the thread meanwhile.
    void Sleep(uint32_t ms) override;
    std::unique_ptr<TTimer> CreateTimer(std::function<void()> onTimer) override;
    // From another thread: queued, and run by the main thread's next Advance, Sleep-free
    // ProcessMessages or RunPendingCalls; the caller waits for it.
    void RunOnMainThread(const std::function<void()>& call) override;
    bool IsMainThread() override;
    void ProcessMessages() override;
    void RunPendingCalls();

    TAnswer MessageBox(const std::string& text, const std::string& caption,
                       TButtons buttons) override;
    std::optional<std::string> InputBox(const std::string& caption, const std::string& prompt,
                                        const std::string& initial) override;
    std::optional<std::string> OpenFileName(const std::string& filter) override;
    std::optional<std::string> SaveFileName(const std::string& filter,
                                            const std::string& proposedName) override;
    bool PowerStatus(TPowerStatus& status) override;
    void DebugOutput(const std::string& line) override;
    uint32_t Random(uint32_t range) override;
    void SyncFile(const std::string& path, const std::function<void(int error)>& done) override;
    // Recorded, answered with realTimeError / memoryLockError; the real scheduler is not asked.
    int SetRealTime(int thread, int priority, bool on) override;
    int LockMemory(bool on) override;

    // Scripted operator: answers are taken in order; with none left a message box answers
    // Ok or No, an input box or file dialog is cancelled.
    std::deque<TAnswer> answers;
    std::deque<std::optional<std::string>> inputs;
    std::deque<std::optional<std::string>> fileNames;
    std::vector<TShownMessage> shownMessages;
    std::vector<std::string> debugLines;  // filled from any thread: read once they are done
    struct TSync {
        std::string path;
        uint32_t at;  // TickCount
    };
    std::vector<TSync> syncs;  // the files synced, done at once
    std::optional<TPowerStatus> power;  // empty: cannot be read
    struct TRealTimeRequest {
        int thread;
        int priority;
        bool on;
        bool operator==(const TRealTimeRequest&) const = default;
    };
    std::vector<TRealTimeRequest> realTimeRequests;
    int realTimeError = 0;  // a raise's answer (EPERM: refused); going back is always granted
    std::vector<bool> memoryLocks;  // each request: true to lock, false to let go; any thread
    int memoryLockError = 0;
    bool MemoryLocked() const { return memoryLocked_; }
    // Random(range) gives randomValue % range, so tests pick the "random" pause.
    uint32_t randomValue = 0;

private:
    class TVirtualTimer;
    struct TTimerSlot {
        TVirtualTimer* timer;
        uint64_t order;
    };
    void Unregister(TVirtualTimer* timer);
    uint64_t Now64() const { return now_; }

    std::atomic<uint64_t> now_;
    std::atomic<bool> memoryLocked_{false};
    std::thread::id mainThread_;
    std::vector<TTimerSlot> timers_;
    uint64_t nextOrder_ = 0;

    std::mutex debugMutex_;
    std::mutex callsMutex_;
    std::condition_variable callsDone_;
    std::deque<std::function<void()>*> pendingCalls_;
    uint64_t callsFinished_ = 0;
    uint64_t callsQueued_ = 0;
};

}  // namespace kv
