#pragma once
// The scenario text format: one cue per line, "time module action [note]".

#include "show/scenario/Cue.h"

#include <cstddef>
#include <string_view>
#include <vector>

namespace kv {

// Reads one non-empty line into cue; false when the line is bad.
bool ParseCueLine(std::string_view line, TCue& cue);
// Appends the cues of UTF-8 text whose lines end at CR LF, LF or CR, in file order.
// Gives 0, or the one-based number of the first bad line (empty lines counted); after a bad
// line cues is left empty.
size_t ParseScenarioText(std::string_view text, std::vector<TCue>& cues);

}  // namespace kv
