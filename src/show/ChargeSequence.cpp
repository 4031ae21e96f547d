#include "show/ChargeSequence.h"

#include "devices/Controls.h"
#include "devices/HVControl.h"
#include "link/PortProto.h"

#include <algorithm>

namespace kv {

namespace {
constexpr int kSequenceUsedUp = 1;
}  // namespace

void PrepareChargeSequences(TControls& controls, TPortProto& port, std::span<const TCue> cues,
                            int32_t from)
{
    for (int i = 0; i < controls.Count(); ++i) {
        auto* module = dynamic_cast<THVControl*>(controls.DeviceAt(i));
        if (module && IsFiringModuleAddress(module->address)) {
            module->chargeSequenceCount = 0;
            module->chargeSequenceCursor = 0;
        }
    }
    for (const TCue& cue : cues) {
        // Only cues that will reach Fire take an entry, or the sequence would fall out of step.
        if (!cue.IsFiring() || !cue.IsExecutable() || cue.time < from)
            continue;
        auto* module = dynamic_cast<THVControl*>(controls.FindByAddress(cue.module));
        if (!module || module->chargeSequenceCount >= kChannelSlots)
            continue;
        const int volts = module->ChannelCharge(cue.channel);
        module->chargeSequence[static_cast<size_t>(module->chargeSequenceCount++)] = volts;
        if (module->chargeSequenceCount == 1)
            port.SetCharge(module->address, module->converterIndex, module->attemptMode, volts);
    }
}

int NextShotCharge(THVControl& module)
{
    const int cursor = ++module.chargeSequenceCursor;
    const int count = std::min<int>(module.chargeSequenceCount, kChannelSlots);
    return cursor >= 0 && cursor < count ? module.chargeSequence[static_cast<size_t>(cursor)]
                                         : kSequenceUsedUp;
}

}  // namespace kv
