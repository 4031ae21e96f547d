#pragma once
// A motor cue of the scenario as one motor command to its module.

#include "show/scenario/Cue.h"

#include <functional>
#include <span>

namespace kv {

class TControls;
struct TScenarioCue;

// The module's motor operation for the cue's kind; 0 and nothing sent when the module is not
// a registered motor module.
int RunMotorCue(TControls& controls, const TScenarioCue& cue);

// Turns a motor module to where the show's motor cues among cues leave it (those counts
// takes), at full speed: the launcher is to be on its aim before its next shot. Logged; a
// module left where a rotation put it, or one that did not take the turn, logged as aimed
// elsewhere. Nothing for a module with no such cue or none registered.
void RestoreMotorPosition(TControls& controls, std::span<const TCue> cues, int module,
                          const std::function<bool(const TCue&)>& counts);

}  // namespace kv
