#pragma once
// Where the show clock stands at a look, for whatever follows it (the modules' clocks, a desk's
// timecode).

#include <cstdint>

namespace kv {

struct TShowClockLook {
    int32_t time;      // the show clock, before any floor at 0
    uint32_t now;      // tick
    int32_t tempo;     // per mille
    bool mayStand;     // follows the heard music, which may stall at any moment
};

}  // namespace kv
