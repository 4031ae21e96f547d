#include "devices/kinds/RemoteControl.h"

#include "devices/kinds/Firmware.h"
#include "devices/memory/ModuleCues.h"
#include "devices/memory/StoredCueTime.h"
#include "link/PortProto.h"
#include "link/Result.h"
#include "support/text/Conversions.h"

namespace kv {

namespace {

bool ControllerTimesFit(TCueView cues)
{
    for (size_t i = 0; i < cues.size(); ++i)
        if (BelongsToController(cues[i]) && !TimeFitsMemory(cues[i].time))
            return false;
    return true;
}

}  // namespace

TResult TRemoteControl::WriteScenario(TCueView cues)
{
    if (!ControllerTimesFit(cues))
        return kResultTimeOutsideMemory;
    const int64_t count = static_cast<int64_t>(cues.size());
    bool aborted = false;
    for (int64_t i = 0; i < count && !aborted; ++i) {
        const TScenarioCue& cue = cues[static_cast<size_t>(i)];
        if (!BelongsToController(cue))
            continue;
        const int channel = ControllerChannel(cue);
        if (const TResult result = port_.WriteControllerCue(
                converterIndex, attemptMode, cue.module,
                StoredCueTime(cue.time, TTimeSteps::Steps10ms), channel))
            return result;
        aborted = RaiseProgress(OnProgress, Percent(i, count), static_cast<int>(i), channel + 1,
                                cue.module);
    }
    return FinishTransfer(OnProgress, kLinkOk, aborted);
}

TResult TRemoteControl::VerifyScenario(TCueView cues)
{
    if (version >= kVersionRemoteErase) {
        if (const TResult result = Identify())
            return result;
    }
    if (!ControllerTimesFit(cues))
        return kResultTimeOutsideMemory;
    const int64_t count = static_cast<int64_t>(cues.size());
    bool aborted = false;
    int record = 0;
    for (int64_t i = 0; i < count && !aborted; ++i) {
        const TScenarioCue& cue = cues[static_cast<size_t>(i)];
        if (!BelongsToController(cue))
            continue;
        int module = 0;
        int time = 0;
        int channel = 0;
        if (const TResult result = port_.ReadControllerCue(converterIndex, attemptMode, record++,
                                                           module, time, channel))
            return result;
        const int expected = ControllerChannel(cue);
        if (module != cue.module || channel != expected ||
            time != StoredCueTime(cue.time, TTimeSteps::Steps10ms))
            return kLinkWriteFailed;  // the controller's way of saying "differs"
        aborted = RaiseProgress(OnProgress, Percent(i, count), static_cast<int>(i), expected + 1,
                                cue.module);
    }
    return FinishTransfer(OnProgress, kLinkOk, aborted);
}

TResult TRemoteControl::EraseScenario()
{
    if (version < kVersionRemoteErase)
        return kResultNotSupported;
    return port_.EraseController(converterIndex);
}

}  // namespace kv
