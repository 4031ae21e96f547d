#pragma once
// The checks before a scenario goes into the modules' memory: modules the scenario needs
// that are not on the bus, registered modules with cues at 0 ms or earlier, and modules with
// cue times no memory can hold. The operator sees the lists and decides.

#include "devices/memory/ScenarioCue.h"

#include <cstdint>
#include <string>
#include <vector>

namespace kv {

class TControls;

// Sets the scenario marks of every registered firing module from the scenario's firing cues.
void MarkScenarioChannels(TControls& controls, TCueView cues);

// Ascending, each once. Cues for numbers no bus address can carry count as missing too.
std::vector<int> MissingModules(const TControls& controls, TCueView cues);
// Registered devices with a cue at 0 ms or earlier, ascending, each once.
std::vector<int> ModulesWithEarlyCues(const TControls& controls, TCueView cues);
// Every module with a cue below 0 or past the last time memory keeps (1:49:13.4), ascending,
// each once: the write refuses such a module, the remote controller such a scenario.
std::vector<int> ModulesWithCuesOutsideMemory(TCueView cues);

struct TScenarioWarning {
    std::string message;
    std::vector<int> modules;
};
// The checks that found modules, in the order the operator is asked: missing modules (write
// and verify), early cues and cues outside memory (write only).
std::vector<TScenarioWarning> ScenarioWarnings(const TControls& controls, TCueView cues,
                                               bool write);

// Registered firing modules the scenario names that are in test mode: they fire nothing.
std::vector<int> ModulesInTestMode(const TControls& controls, TCueView cues);
// Registered firing modules the scenario names that missed a poll since the search found them:
// a spare may answer there now, and what the channel test found was the other module's.
std::vector<int> ModulesSilentSinceFound(const TControls& controls, TCueView cues);
// High-voltage modules with firing cues whose energy setting could not be read.
std::vector<int> HighVoltageSettingUnknown(const TControls& controls, TCueView cues);
// High-voltage modules with a firing cue on a channel whose resistance was never measured: the
// charge for it is the least, 1 V.
std::vector<int> HighVoltageChannelsUnmeasured(const TControls& controls, TCueView cues);
// High-voltage modules whose firing cues at or after from need more than one charge. Their
// memory holds no charges: played from it, every shot goes with the first one's.
std::vector<int> HighVoltageChargesInTurn(const TControls& controls, TCueView cues, int32_t from);
// What the modules' own state tells before a start, a write or a verify.
std::vector<TScenarioWarning> ModuleStateWarnings(const TControls& controls, TCueView cues);

// "3, 7, 12"
std::string ModuleListText(const std::vector<int>& modules);
std::string MissingModulesMessage();
std::string EarlyCuesMessage();
std::string CuesOutsideMemoryMessage();

}  // namespace kv
