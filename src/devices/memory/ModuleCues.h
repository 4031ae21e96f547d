#pragma once
// Which cues of a scenario go into which device memory, and how a read-back is judged.

#include "devices/memory/ScenarioCue.h"
#include "devices/memory/StoredCueTime.h"

#include <cstdint>
#include <string>

namespace kv {

class TCommonControl;

// A motor module keeps motor cues only, any other module firing cues on its tables only.
bool BelongsToModule(const TScenarioCue& cue, const TCommonControl& module);
// A module's memory record keeps nine bits of the bus channel number (channel + 1), so the
// last channel of a 512-channel module cannot be stored.
bool FitsModuleMemory(int32_t channel);
// A motor cue read back (letter and parameters as the module gives them) against the cue.
bool MotorCueMatches(const TScenarioCue& cue, int32_t readTime, const std::string& letter,
                     int readParameter1, int readParameter2);

// A motor module whose firmware keeps moves in its memory.
bool KeepsMoves(const TCommonControl& module);
// The steps in which the module's memory keeps its cues' times.
TTimeSteps MemorySteps(const TCommonControl& module);
int ModuleCueCount(TCueView cues, const TCommonControl& module);

// The module's share of the cues, order aside: equal for the memory a write of either leaves.
uint64_t ModuleMemoryFingerprint(TCueView cues, const TCommonControl& module);

// The remote controller keeps every cue for a bus address; a motor cue carries no channel.
bool BelongsToController(const TScenarioCue& cue);
int32_t ControllerChannel(const TScenarioCue& cue);

}  // namespace kv
