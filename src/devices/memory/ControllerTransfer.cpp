#include "devices/memory/ControllerTransfer.h"

#include "devices/kinds/Firmware.h"
#include "devices/kinds/RemoteControl.h"
#include "devices/memory/ModuleCues.h"
#include "devices/memory/StoredCueTime.h"
#include "devices/registry/Controls.h"
#include "link/PortProto.h"
#include "support/text/Conversions.h"

#include <utility>

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

TControllerTransfer::TControllerTransfer(const TControls& registry, TProgressEvent progress)
    : port_(registry.Port()),
      controller_(dynamic_cast<TRemoteControl*>(registry.FindByAddress(0))),
      progress_(std::move(progress))
{
}

TResult TControllerTransfer::WriteScenario(TCueView cues)
{
    if (!controller_)
        return kLinkNotConnected;
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
                controller_->converterIndex, controller_->attemptMode, cue.module,
                StoredCueTime(cue.time, TTimeSteps::Steps10ms), channel))
            return result;
        aborted = RaiseProgress(progress_, Percent(i, count), static_cast<int>(i), channel + 1,
                                cue.module);
    }
    return FinishTransfer(progress_, kLinkOk, aborted);
}

TResult TControllerTransfer::VerifyScenario(TCueView cues)
{
    if (!controller_)
        return kLinkNotConnected;
    if (controller_->version >= kVersionRemoteErase) {
        if (const TResult result = controller_->Identify())
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
        if (const TResult result = port_.ReadControllerCue(
                controller_->converterIndex, controller_->attemptMode, record++, module, time,
                channel))
            return result;
        const int expected = ControllerChannel(cue);
        if (module != cue.module || channel != expected ||
            time != StoredCueTime(cue.time, TTimeSteps::Steps10ms))
            return kLinkWriteFailed;
        aborted = RaiseProgress(progress_, Percent(i, count), static_cast<int>(i), expected + 1,
                                cue.module);
    }
    return FinishTransfer(progress_, kLinkOk, aborted);
}

}  // namespace kv
