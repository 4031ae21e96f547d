#pragma once
// A module's show clock: set and started by the clock message, stopped by its stop form,
// running at its own slightly wrong rate (drift in parts per million).

#include <cstdint>

namespace kv {

class TModuleClock {
public:
    explicit TModuleClock(double driftPpm = 0);

    void Start(int64_t atNs, int64_t showMs);
    void Stop(int64_t atNs);
    bool Running() const { return running_; }
    int64_t ShowMsAt(int64_t ns) const;
    // When the running clock shows showMs (never before atNs of the last start).
    int64_t NsAtShowMs(int64_t showMs) const;

private:
    double rate_;
    bool running_ = false;
    int64_t anchorNs_ = 0;
    int64_t anchorMs_ = 0;
};

}  // namespace kv
