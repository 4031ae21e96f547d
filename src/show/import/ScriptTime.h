#pragma once
// Times as show scripts write them.

#include "show/scenario/CueTime.h"

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace kv {

enum class TTimeUnit { Seconds, Milliseconds };

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

}  // namespace kv
