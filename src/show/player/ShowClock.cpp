#include "show/player/ShowClock.h"

namespace kv {

int32_t ScenarioClock(uint32_t startTick, uint32_t now, int32_t tempo, int32_t startTime,
                      int32_t offset)
{
    // Rounded down: a clock rounded to the nearest millisecond runs up to half a millisecond
    // ahead at a tempo above 100 % and would fire a cue before its moment.
    // Signed: a start tick still to come (the music not heard yet) counts back from it.
    const int64_t scaled = int64_t{static_cast<int32_t>(now - startTick)} * tempo;
    const int64_t elapsed = scaled >= 0 ? scaled / 1000 : -((-scaled + 999) / 1000);
    return static_cast<int32_t>(elapsed + startTime + offset);
}

bool IntervalPassed(uint32_t since, uint32_t now, int32_t interval)
{
    return interval < 0 || now - since >= static_cast<uint32_t>(interval);
}

}  // namespace kv
