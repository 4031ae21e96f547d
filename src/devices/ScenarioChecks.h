#pragma once
// The checks before a scenario goes into the modules' memory: modules the scenario needs
// that are not on the bus, and registered modules with cues at 0 ms or earlier. The operator
// sees the list and decides.

#include "devices/ScenarioCue.h"

#include <string>
#include <vector>

namespace kv {

class TControls;

// Ascending, each once. Cues for numbers no bus address can carry count as missing too.
std::vector<int> MissingModules(const TControls& controls, TCueView cues);
// Registered devices with a cue at 0 ms or earlier, ascending, each once.
std::vector<int> ModulesWithEarlyCues(const TControls& controls, TCueView cues);
// "3, 7, 12"
std::string ModuleListText(const std::vector<int>& modules);
std::string MissingModulesMessage();
std::string EarlyCuesMessage();

}  // namespace kv
