#pragma once
// Motor commands in a scenario's action field: "#" word ["#" parameter ...].

#include "show/scenario/Cue.h"

#include <string_view>

namespace kv {

// Sets the cue's kind and parameters from an action beginning with "#". False for an
// unknown word or a speed that is not a whole number: the line is bad.
bool ParseMotorCommand(std::string_view action, TCue& cue);

}  // namespace kv
