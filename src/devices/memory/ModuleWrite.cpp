// Writing a scenario into module memory and reading it back, for every firmware generation.

#include "devices/kinds/CommonControl.h"
#include "devices/kinds/Firmware.h"
#include "devices/kinds/MotorControl.h"
#include "devices/memory/ModuleCues.h"
#include "devices/memory/ModuleTransfer.h"
#include "devices/memory/StoredCueTime.h"
#include "link/PortProto.h"
#include "link/Result.h"

#include <algorithm>

namespace kv {

namespace {

constexpr uint8_t kMotorModuleType = 4;

// What a scenario leaves empty in a module: the records past its cues, or, with one time per
// channel, every channel without a cue. Whatever an earlier show left there fires in a
// stand-alone show as if it were this one's.
std::vector<int> EmptySlots(const TCommonControl& module, int records,
                            const std::vector<bool>& channelsUsed)
{
    std::vector<int> slots;
    if (module.version >= kVersionRecordMemory) {
        for (int record = records; record < module.channelCount; ++record)
            slots.push_back(record);
        return slots;
    }
    for (int channel = 0; channel < module.channelCount && FitsModuleMemory(channel); ++channel)
        if (!channelsUsed[static_cast<size_t>(channel)])
            slots.push_back(channel);
    return slots;
}

}  // namespace

bool TModuleTransfer::TimesFit(const TCommonControl& module) const
{
    for (const TScenarioCue& cue : cues_)
        if (BelongsToModule(cue, module) && !TimeFitsMemory(cue.time))
            return false;
    return true;
}

TResult TModuleTransfer::WriteModule(TCommonControl& module, int index)
{
    // Refused whole: half a scenario in memory would fire as a show of its own.
    if (!TimesFit(module))
        return kResultTimeOutsideMemory;
    const int address = module.address;
    const int converter = module.converterIndex;
    const int attempts = module.attemptMode;
    if (module.deviceType == kMotorModuleType) {
        const TResult result = EachCue(module, index, [&](const TScenarioCue& cue) {
            if (module.version < kVersionAckedWrites)
                return kResultNotSupported;
            return port_.WriteMotorCue(address, converter, attempts,
                                       StoredCueTime(cue.time, MemorySteps(module)),
                                       MotorSubCode(cue.kind), MotorByte(MotorSpeed(cue)),
                                       MotorByte(MotorDuration(cue)));
        });
        // Half written or whole, nothing lies past the longer of the old list and the new.
        const int moves = ModuleCueCount(cues_, module);
        if (module.motorMovesAtMost)
            module.motorMovesAtMost = std::max(*module.motorMovesAtMost, moves);
        if (result == 0 && !aborted_)
            module.motorMovesAtLeast = std::max(module.motorMovesAtLeast, moves);
        return result;
    }
    const bool fine = module.version >= kVersionAckedWrites;
    const bool byRecord = module.version >= kVersionRecordMemory;
    int records = 0;
    std::vector<bool> channelsUsed(static_cast<size_t>(kChannelSlots), false);
    const TResult result = EachCue(module, index, [&](const TScenarioCue& cue) {
        if (!FitsModuleMemory(cue.channel))
            return kResultNotSupported;  // stored, it would read as another channel
        ++records;
        channelsUsed[static_cast<size_t>(cue.channel)] = true;
        const int32_t time = StoredCueTime(cue.time, MemorySteps(module));
        return fine ? port_.WriteCueFine(address, converter, attempts, time, cue.channel)
                    : port_.WriteCue(address, converter, time, cue.channel);
    });
    if (result != 0 || aborted_)
        return result;
    return Pad(module, EmptySlots(module, byRecord ? records : 0, channelsUsed));
}

TResult TModuleTransfer::Pad(TCommonControl& module, const std::vector<int>& slots)
{
    // A padding write that failed leaves the old show's record behind: no success.
    const bool fine = module.version >= kVersionAckedWrites;
    for (const int slot : slots)
        if (const TResult result =
                fine ? port_.WriteCueFine(module.address, module.converterIndex,
                                          module.attemptMode, kEmptyCueTime, slot)
                     : port_.WriteCue(module.address, module.converterIndex, kEmptyCueTime, slot))
            return result;
    return kLinkOk;
}

TResult TModuleTransfer::VerifyEmpty(TCommonControl& module, const std::vector<int>& slots)
{
    const bool fine = module.version >= kVersionAckedWrites;
    for (const int slot : slots) {
        int time = 0;
        int channel = 0;
        if (const TResult result = port_.ReadCue(module.address, module.converterIndex,
                                                 module.attemptMode, slot, fine, time, channel))
            return result;
        if (time < kEmptyCueTime)
            return kResultMismatch;
    }
    return kLinkOk;
}

void TModuleTransfer::ReadMovesPast(TCommonControl& module, int moves)
{
    module.motorMovesAtLeast = std::max(module.motorMovesAtLeast, moves);
    if (!KeepsMoves(module))
        return;
    // A move's first record carries its time; the list ends at the first empty one.
    int time = 0;
    int channel = 0;
    if (port_.ReadCue(module.address, module.converterIndex, module.attemptMode, 3 * moves, true,
                      time, channel) != 0)
        return;
    if (time >= kEmptyCueTime) {
        module.motorMovesAtLeast = moves;
        module.motorMovesAtMost = moves;
    } else {
        module.motorMovesAtLeast = std::max(module.motorMovesAtLeast, moves + 1);
    }
}

TResult TModuleTransfer::VerifyModule(TCommonControl& module, int index)
{
    // Reduced to the memory's 16 bits, such a time would compare equal to a wrong one.
    if (!TimesFit(module))
        return kResultTimeOutsideMemory;
    const int address = module.address;
    const int converter = module.converterIndex;
    const int attempts = module.attemptMode;
    int record = 0;
    if (module.deviceType == kMotorModuleType) {
        const TResult result = EachCue(module, index, [&](const TScenarioCue& cue) {
            if (module.version < kVersionAckedWrites)
                return kResultNotSupported;
            int time = 0;
            std::string letter;
            int parameter1 = 0;
            int parameter2 = 0;
            if (const TResult result = port_.ReadMotorCue(address, converter, attempts, record++,
                                                          time, letter, parameter1, parameter2))
                return result;
            return MotorCueMatches(cue, time, letter, parameter1, parameter2) ? kLinkOk
                                                                              : kResultMismatch;
        });
        if (result == 0 && !aborted_)
            ReadMovesPast(module, record);
        return result;
    }
    const bool byRecord = module.version >= kVersionRecordMemory;
    const bool fine = module.version >= kVersionAckedWrites;
    std::vector<bool> channelsUsed(static_cast<size_t>(kChannelSlots), false);
    const TResult result = EachCue(module, index, [&](const TScenarioCue& cue) {
        int time = 0;
        int channel = 0;
        const int where = byRecord ? record++ : cue.channel;
        if (FitsModuleMemory(cue.channel))
            channelsUsed[static_cast<size_t>(cue.channel)] = true;
        if (const TResult result =
                port_.ReadCue(address, converter, attempts, where, fine, time, channel))
            return result;
        const bool channelMatches = !byRecord || channel == cue.channel;
        const bool timeMatches = time == StoredCueTime(cue.time, MemorySteps(module));
        return channelMatches && timeMatches ? kLinkOk : kResultMismatch;
    });
    if (result != 0 || aborted_)
        return result;
    // The module fires every time it holds, not only the scenario's.
    return VerifyEmpty(module, EmptySlots(module, byRecord ? record : 0, channelsUsed));
}

}  // namespace kv
