#pragma once
// While a show runs, the threads that put its shots on the bus (the port thread, and the main
// thread with the cue timer) run at a modest real-time priority, and the program's pages stay
// in RAM, where the system allows it: a loaded machine or a page swapped out then delays a shot
// less. A refusal leaves the show as it is, on normal scheduling; it is logged once.

#include <thread>

namespace kv {

class TPort;

class TShowRealTime {
public:
    // Above the main thread's: the port thread writes each shot at its millisecond.
    static constexpr int kPortThreadPriority = 11;
    static constexpr int kMainThreadPriority = 10;

    explicit TShowRealTime(TPort& port) : port_(port) {}
    ~TShowRealTime() { End(); }
    TShowRealTime(const TShowRealTime&) = delete;
    TShowRealTime& operator=(const TShowRealTime&) = delete;

    // On the main thread. A second Begin (a restart) asks nothing again. The memory is locked
    // on a thread of its own: that brings every page in, tens of milliseconds the show's
    // start does not wait for.
    void Begin();
    // Normal scheduling and unlocked pages again, once the lock is through; nothing when not
    // begun.
    void End();

private:
    void Raise(int thread, int priority);
    void LockMemory();

    TPort& port_;
    bool active_ = false;
    int mainThread_ = 0;
    int portThread_ = 0;  // raised; 0: none
    std::thread locking_;
    bool memoryLocked_ = false;  // by locking_, read once it is joined
    bool priorityRefusalLogged_ = false;
    bool lockRefusalLogged_ = false;
};

}  // namespace kv
