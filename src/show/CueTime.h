#pragma once
// Cue times as operators write them: seconds, M:S or H:M:S, with up to three fraction digits.

#include <cstdint>
#include <string_view>

namespace kv {

// Milliseconds. A time that cannot be read is not an error: it gives 0, or the whole part
// plus the fraction digits read before the first non-digit.
int32_t ParseCueTime(std::string_view text);

}  // namespace kv
