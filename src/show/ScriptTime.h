#pragma once
// Times as show scripts write them, and as the scenario file gets them back.

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace kv {

enum class TTimeUnit { Seconds, Milliseconds };

// Longest show a script may describe; the scenario's clock texts stop at 23:59:59.
constexpr int32_t kScriptTimeLimit = 24 * 3600 * 1000;

// Milliseconds of a time that is not negative and under a day: H:MM:SS.xx and M:SS.xx
// whatever the unit; otherwise a number of the unit: seconds with "." or "," before their
// fraction, rounded to the millisecond, or whole milliseconds. nullopt for anything else, an
// empty text too.
std::optional<int32_t> ParseScriptTime(std::string_view text, TTimeUnit unit);
// Hours, minutes, seconds and frames at fps frames a second; frames must be fewer than fps.
// A label second holds whole frames, so at 23.976 or 29.97 it lasts 1.001 s, unless the
// labels are 29.97 drop-frame (fps is not read then).
std::optional<int32_t> FrameTime(std::string_view hours, std::string_view minutes,
                                 std::string_view seconds, std::string_view frames, double fps,
                                 bool dropFrame);
// A cue time as the scenario file writes it: M:SS.mmm, from an hour on H:MM:SS.mmm; before
// zero and from a day on, seconds (-S.mmm, S.mmm), which the clock texts cannot hold.
std::string ScenarioTimeText(int32_t ms);

}  // namespace kv
