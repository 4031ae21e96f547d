#pragma once
// Device memory keeps a cue time as a 16-bit count of 100 ms plus, in a record's byte 4, the
// tens digit and (fine form) the even units digit. A read-back must be compared with the time
// reduced the same way, or every cue off the step would read as a mismatch.

#include <cstdint>

namespace kv {

enum class TTimeSteps {
    Steps100ms,  // motor records: the count only
    Steps10ms,   // plain cue records
    Steps2ms,    // fine cue records
};

int32_t StoredCueTime(int32_t time, TTimeSteps steps);

}  // namespace kv
