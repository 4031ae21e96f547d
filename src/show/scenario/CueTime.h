#pragma once
// Cue times as operators write them: seconds, M:S or H:M:S, with up to three fraction digits;
// and as the scenario file writes them.

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace kv {

// Milliseconds; nullopt for a text that is not wholly a time (a decimal comma, a clock part
// out of range, a stray character), which must never become a cue at the show's start.
std::optional<int32_t> ParseCueTime(std::string_view text);

// Longest show a script may describe; the scenario's clock texts stop at 23:59:59.
constexpr int32_t kScriptTimeLimit = 24 * 3600 * 1000;

// A cue time as the scenario file writes it: M:SS.mmm, from an hour on H:MM:SS.mmm; before
// zero and from a day on, seconds (-S.mmm, S.mmm), which the clock texts cannot hold.
std::string ScenarioTimeText(int32_t ms);

}  // namespace kv
