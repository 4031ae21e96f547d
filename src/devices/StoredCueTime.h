#pragma once
// Device memory keeps a cue time as a 16-bit count of 100 ms plus, in a record's byte 4, the
// tens digit and (fine form) the even units digit. A read-back must be compared with the time
// reduced the same way, or every cue off the step would read as a mismatch.

#include <cstdint>

namespace kv {

// The time an unused record holds: the largest 16-bit count of 100 ms.
constexpr int32_t kEmptyCueTime = 6553500;

enum class TTimeSteps {
    Steps100ms,  // motor records: the count only
    Steps10ms,   // plain cue records
    Steps2ms,    // fine cue records
};

// Below 0 or from the empty time on, a stored time would wrap or read as an unused record:
// such a cue fires at a wrong time or never.
bool TimeFitsMemory(int32_t time);
// For a time that fits memory.
int32_t StoredCueTime(int32_t time, TTimeSteps steps);

}  // namespace kv
