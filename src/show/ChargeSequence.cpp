#include "show/ChargeSequence.h"

#include "devices/Controls.h"
#include "devices/HVControl.h"
#include "link/PortProto.h"

#include <algorithm>

namespace kv {

std::vector<int32_t> PrepareChargeSequences(TControls& controls, TPortProto& port,
                                            std::span<const TCue> cues, int32_t from,
                                            const std::function<bool(size_t cue)>& takenByHand)
{
    for (int i = 0; i < controls.Count(); ++i) {
        auto* module = dynamic_cast<THVControl*>(controls.DeviceAt(i));
        if (module && IsFiringModuleAddress(module->address)) {
            module->chargeSequenceCount = 0;
            module->chargeSequenceCursor = 0;
        }
    }
    std::vector<int32_t> entries(cues.size(), kNoChargeEntry);
    for (size_t i = 0; i < cues.size(); ++i) {
        const TCue& cue = cues[i];
        // Only cues that will reach Fire take an entry, or the sequence would fall out of step.
        if (!cue.IsFiring() || !cue.IsExecutable() || cue.time < from || takenByHand(i))
            continue;
        auto* module = dynamic_cast<THVControl*>(controls.FindByAddress(cue.module));
        if (!module)
            continue;
        entries[i] = module->chargeSequenceCount;
        if (module->chargeSequenceCount >= kChannelSlots)
            continue;
        const int volts = module->ChannelCharge(cue.channel);
        module->chargeSequence[static_cast<size_t>(module->chargeSequenceCount++)] = volts;
        if (module->chargeSequenceCount == 1)
            port.SetCharge(module->address, module->converterIndex, module->attemptMode, volts);
    }
    return entries;
}

int PassChargeEntry(THVControl& module, int32_t entry)
{
    module.chargeSequenceCursor = entry + 1;
    return ChargeAtCursor(module, kChargeUsedUp);
}

int ChargeAtCursor(const THVControl& module, int usedUp)
{
    const int cursor = module.chargeSequenceCursor;
    const int count = std::min<int>(module.chargeSequenceCount, kChannelSlots);
    return cursor >= 0 && cursor < count ? module.chargeSequence[static_cast<size_t>(cursor)]
                                         : usedUp;
}

void RemoveChargeEntry(THVControl& module, std::span<const TCue> cues, std::span<int32_t> entries,
                       int32_t entry)
{
    const int count = std::min<int>(module.chargeSequenceCount, kChannelSlots);
    if (entry < 0 || entry >= count)
        return;
    const auto first = module.chargeSequence.begin() + entry;
    std::copy(first + 1, module.chargeSequence.begin() + count, first);
    --module.chargeSequenceCount;
    if (module.chargeSequenceCursor > entry)
        --module.chargeSequenceCursor;
    for (size_t i = 0; i < cues.size() && i < entries.size(); ++i)
        if (cues[i].module == module.address && entries[i] >= entry)
            entries[i] = entries[i] == entry ? kNoChargeEntry : entries[i] - 1;
}

}  // namespace kv
