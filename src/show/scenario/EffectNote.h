#pragma once
// An imported cue's effect time, position and effect name travel in the scenario line's note,
// so that the file loads anywhere scenario files load and the effect data comes back:
//     0:11.500	3	12	|0:12.000|Front left|Red peony 75 mm
// The note is "|", the effect time in the cue time syntax, "|", the position, "|", the effect
// name. Neither may hold a "|" or a TAB; a note cut at its length limit loses the name's end.
// A note that starts with "|" but does not read this way is a plain note.

#include "show/scenario/Cue.h"

#include <string>

namespace kv {

std::string EffectNote(int32_t effectTime, const std::string& position, const std::string& effect);
// Fills the cue's effect time, position and effect name from its note when the note holds them.
void ReadEffectNote(TCue& cue);

}  // namespace kv
