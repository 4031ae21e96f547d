#pragma once
// Firing cues written back as scenario text, one "time TAB module TAB channel TAB note" line
// each with CR LF, in UTF-8: the file loads again into the same cues.

#include "show/scenario/Cue.h"

#include <span>
#include <string>

namespace kv {

// Motor cues have no exact text of their speeds and are left out; an import has none.
std::string FiringScenarioText(std::span<const TCue> cues);

}  // namespace kv
