#pragma once
// The scenario clock worked out from the system tick counter, so that nothing accumulates
// from tick to tick and a wrap of the 32-bit counter goes unnoticed.

#include <cstdint>

namespace kv {

// (now - startTick) x tempo / 1000, rounded down to the millisecond, + startTime + offset:
// the clock never runs ahead of the tick counter. A start tick up to 24 days ahead of now
// gives a clock below startTime.
int32_t ScenarioClock(uint32_t startTick, uint32_t now, int32_t tempo, int32_t startTime,
                      int32_t offset);

// Whether at least interval ms lie between since and now; a negative interval is always due.
bool IntervalPassed(uint32_t since, uint32_t now, int32_t interval);

}  // namespace kv
