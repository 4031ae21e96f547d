#pragma once
// Where the simulated field takes its time from. Field time is in nanoseconds; its whole
// milliseconds are the program's tick count, so the field record and the run log line up.

#include <cstdint>
#include <mutex>

namespace kv {

class TFieldClock {
public:
    virtual ~TFieldClock() = default;
    virtual int64_t NowNs() = 0;
    // Blocks the caller until field time has reached ns.
    virtual void SleepUntilNs(int64_t ns) = 0;
    // The moment on the steady clock by which field time will have reached ns, for a sleeper
    // that waits on descriptors as well.
    virtual int64_t SteadyNsAt(int64_t ns) = 0;
};

// The system's monotonic clock, optionally run faster (speed > 1) for tests that only look
// at bytes. At speed 1 its milliseconds equal kv::MonotonicTick().
class TSteadyFieldClock : public TFieldClock {
public:
    explicit TSteadyFieldClock(double speed = 1.0);
    int64_t NowNs() override;
    void SleepUntilNs(int64_t ns) override;
    int64_t SteadyNsAt(int64_t ns) override;

private:
    int64_t RealNs() const;
    const double speed_;
    const int64_t originNs_;
};

// The platform's tick counter, so that tests on virtual time drive the field as well.
class TPlatformFieldClock : public TFieldClock {
public:
    int64_t NowNs() override;
    void SleepUntilNs(int64_t ns) override;
    int64_t SteadyNsAt(int64_t ns) override;

private:
    int64_t UnwrappedMs();
    std::mutex mutex_;  // the port thread and the main thread both ask
    uint32_t lastTick_ = 0;
    int64_t highBits_ = 0;
    bool started_ = false;
};

}  // namespace kv
