#pragma once
// While a show runs, the threads that put its shots on the bus (the port thread, and the main
// thread with the cue timer) run at a modest real-time priority, and so, a step below, do the
// threads whose delays become the show clock's (the soundtrack's feeding thread, the timecode
// capture); the program's pages stay in RAM, where the system allows it: a loaded machine or a
// page swapped out then delays a shot less. A refusal leaves the show as it is, on normal
// scheduling; it is logged once.

#include <functional>
#include <thread>
#include <vector>

namespace kv {

class TPort;

class TShowRealTime {
public:
    // Above the main thread's: the port thread writes each shot at its millisecond.
    static constexpr int kPortThreadPriority = 11;
    static constexpr int kMainThreadPriority = 10;
    // Below the show's own: decoding and dating take processor time a shot must not wait for.
    static constexpr int kClockSourcePriority = 9;
    // A thread the show depends on, by its id at the show's start; 0: none.
    using TThreadOf = std::function<int()>;

    explicit TShowRealTime(TPort& port);
    ~TShowRealTime() { End(); }
    TShowRealTime(const TShowRealTime&) = delete;
    TShowRealTime& operator=(const TShowRealTime&) = delete;

    // A thread the show clock follows (the music's, the timecode's), raised with the others.
    void AddClockSource(TThreadOf thread);

    // On the main thread. A second Begin (a restart) asks nothing again. The memory is locked
    // on a thread of its own: that brings every page in, tens of milliseconds the show's
    // start does not wait for.
    void Begin();
    // Normal scheduling and unlocked pages again, once the lock is through; nothing when not
    // begun.
    void End();

private:
    struct TServing {
        TThreadOf thread;
        int priority = 0;
        int raised = 0;  // the id raised; 0: none
    };

    void Raise(int thread, int priority);
    void LockMemory();

    std::vector<TServing> serving_;  // the port thread first
    bool active_ = false;
    int mainThread_ = 0;
    std::thread locking_;
    bool memoryLocked_ = false;  // by locking_, read once it is joined
    bool priorityRefusalLogged_ = false;
    bool lockRefusalLogged_ = false;
};

}  // namespace kv
