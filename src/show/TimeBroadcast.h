#pragma once
// When an autonomous show tells the modules its time. The bus carries whole tenths of a
// second and a module sets its clock to what it hears, so a time sent off the step leaves the
// modules behind by the rest, and every memory cue fires that much late. The time goes out on
// a tick just past a step, once a period has passed or as soon as the modules' clock has
// drifted from the show's (a start point or an offset off the step, a tempo other than 100 %).

#include <cstdint>

namespace kv {

class TTimeBroadcast {
public:
    // stepWindowMs: how far the show's clock moves in one timer period; interval below 0 is
    // due at every tick.
    bool Due(int32_t time, uint32_t now, int32_t interval, int32_t stepWindowMs) const;
    void Sent(int32_t time, uint32_t now);

private:
    int32_t sentTime_ = 0;  // as the modules took it
    uint32_t sentTick_ = 0;
};

}  // namespace kv
