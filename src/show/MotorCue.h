#pragma once
// A motor cue of the scenario as one motor command to its module.

namespace kv {

class TControls;
struct TScenarioCue;

// The module's motor operation for the cue's kind; 0 and nothing sent when the module is not
// a registered motor module.
int RunMotorCue(TControls& controls, const TScenarioCue& cue);

}  // namespace kv
