#pragma once
// Cue times as operators write them: seconds, M:S or H:M:S, with up to three fraction digits.

#include <cstdint>
#include <optional>
#include <string_view>

namespace kv {

// Milliseconds; nullopt for a text that is not wholly a time (a decimal comma, a clock part
// out of range, a stray character), which must never become a cue at the show's start.
std::optional<int32_t> ParseCueTime(std::string_view text);

}  // namespace kv
