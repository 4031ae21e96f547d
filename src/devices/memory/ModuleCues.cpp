#include "devices/memory/ModuleCues.h"

#include "devices/kinds/CommonControl.h"
#include "devices/kinds/Firmware.h"
#include "devices/kinds/MotorControl.h"
#include "devices/memory/StoredCueTime.h"

#include <algorithm>
#include <array>
#include <vector>

namespace kv {

namespace {
constexpr uint8_t kMotorModuleType = 4;
}

bool BelongsToModule(const TScenarioCue& cue, const TCommonControl& module)
{
    if (cue.module != module.address)
        return false;
    return module.deviceType == kMotorModuleType ? IsMotorKind(cue.kind)
                                                 : IsWritableFiringCue(cue);
}

bool KeepsMoves(const TCommonControl& module)
{
    return module.deviceType == kMotorModuleType && module.version >= kVersionAckedWrites;
}

TTimeSteps MemorySteps(const TCommonControl& module)
{
    if (module.deviceType == kMotorModuleType)
        return TTimeSteps::Steps100ms;
    return module.version >= kVersionAckedWrites ? TTimeSteps::Steps2ms : TTimeSteps::Steps10ms;
}

int ModuleCueCount(TCueView cues, const TCommonControl& module)
{
    int count = 0;
    for (size_t i = 0; i < cues.size(); ++i)
        count += BelongsToModule(cues[i], module) ? 1 : 0;
    return count;
}

bool FitsModuleMemory(int32_t channel)
{
    constexpr int32_t kHighestMemoryChannelNumber = 511;
    return channel >= 0 && channel + 1 <= kHighestMemoryChannelNumber;
}

bool MotorCueMatches(const TScenarioCue& cue, int32_t readTime, const std::string& letter,
                     int readParameter1, int readParameter2)
{
    // The read-back gives C, L, R as (0, speed) and LT, RT as (speed, duration).
    const bool rotation = letter == "LT" || letter == "RT";
    const int readSpeed = rotation ? readParameter1 : readParameter2;
    const int readDuration = rotation ? readParameter2 : 0;
    return letter == MotorLetter(cue.kind) &&
           readTime == StoredCueTime(cue.time, TTimeSteps::Steps100ms) &&
           readSpeed == MotorByte(MotorSpeed(cue)) && readDuration == MotorByte(MotorDuration(cue));
}

bool BelongsToController(const TScenarioCue& cue)
{
    return cue.module >= 0 && cue.module <= 255 && (IsMotorKind(cue.kind) || IsWritableFiringCue(cue));
}

int32_t ControllerChannel(const TScenarioCue& cue)
{
    // Channel field 0 on the bus: no channel the controller could fire.
    return IsMotorKind(cue.kind) ? -1 : cue.channel;
}

uint64_t ModuleMemoryFingerprint(TCueView cues, const TCommonControl& module)
{
    std::vector<std::array<int32_t, 5>> records;
    for (size_t i = 0; i < cues.size(); ++i)
        if (BelongsToModule(cues[i], module))
            records.push_back({cues[i].time, cues[i].channel, cues[i].kind, cues[i].parameter1,
                               cues[i].parameter2});
    // Equal cues in another order are the same memory.
    std::sort(records.begin(), records.end());
    uint64_t hash = 14695981039346656037ull;  // FNV-1a
    for (const auto& record : records)
        for (const int32_t value : record)
            for (int byte = 0; byte < 4; ++byte) {
                hash ^= static_cast<uint8_t>(static_cast<uint32_t>(value) >> (8 * byte));
                hash *= 1099511628211ull;
            }
    return hash;
}

}  // namespace kv
