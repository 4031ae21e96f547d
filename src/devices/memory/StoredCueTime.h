#pragma once
// Device memory keeps a cue time as a 16-bit count of 100 ms plus, in a record's byte 4, the
// tens digit and (fine form) the even units digit. A time between two steps is kept at the
// later one: a module firing from its memory must never fire before the cue's time. A
// read-back is compared with the time rounded the same way.

#include <cstdint>

namespace kv {

// The time an unused record holds: the largest 16-bit count of 100 ms.
constexpr int32_t kEmptyCueTime = 6553500;
// The last time every form keeps: a later one would round up to the empty time.
constexpr int32_t kLastStoredCueTime = kEmptyCueTime - 100;

enum class TTimeSteps {
    Steps100ms,  // motor records: the count only
    Steps10ms,   // plain cue records
    Steps2ms,    // fine cue records
};

// Below 0 or past the last time kept, a stored time would wrap or read as an unused record:
// such a cue fires at a wrong time or never.
bool TimeFitsMemory(int32_t time);
// The first time on the steps at or after time: for a time that fits memory, the time kept.
int32_t StoredCueTime(int32_t time, TTimeSteps steps);

}  // namespace kv
