#include "show/player/shots/ChargePlan.h"

#include "devices/registry/Controls.h"
#include "devices/kinds/HVControl.h"
#include "show/player/bus/BusFailureLog.h"

#include <algorithm>

namespace kv {

namespace {

THVControl* HighVoltageAt(TControls& controls, int module)
{
    return dynamic_cast<THVControl*>(controls.FindByAddress(module));
}

}  // namespace

void TChargePlan::Prepare(std::span<const TCue> cues, size_t first, int32_t from,
                          const std::function<bool(size_t cue)>& takenByHand)
{
    sequences_.clear();
    entries_.assign(cues.size(), TEntry{});
    for (size_t i = first; i < cues.size(); ++i) {
        const TCue& cue = cues[i];
        // Only cues that will reach the fire command take a place, or the sequence would fall
        // out of step.
        if (!cue.IsFiring() || !cue.IsExecutable() || cue.time < from || takenByHand(i))
            continue;
        THVControl* module = HighVoltageAt(controls_, cue.module);
        if (!module)
            continue;
        std::vector<int>& volts = sequences_[cue.module].volts;
        entries_[i] = {cue.module, static_cast<int32_t>(volts.size())};
        if (volts.size() >= kChannelSlots)
            continue;
        volts.push_back(module->ChannelCharge(cue.channel));
        if (volts.size() == 1)
            LogFailure(module->SetCharge(volts.front()), kMsgChargeNotSet, cue.module);
    }
}

int TChargePlan::ShotCharge(int module, int32_t cue)
{
    if (ModuleOf(cue) == module)
        PassOver(cue);
    return Next(module);
}

bool TChargePlan::PassOver(int32_t cue)
{
    const int32_t place = Place(cue);
    if (place == kNoChargeEntry)
        return false;
    sequences_[ModuleOf(cue)].cursor = place + 1;
    return true;
}

void TChargePlan::Rewind(int32_t cue)
{
    const int32_t place = Place(cue);
    if (place == kNoChargeEntry)
        return;
    int32_t& cursor = sequences_[ModuleOf(cue)].cursor;
    cursor = std::min(cursor, place);
}

void TChargePlan::RemoveByHand(int32_t cue)
{
    const int32_t place = Place(cue);
    const int module = ModuleOf(cue);
    const auto sequence = sequences_.find(module);
    if (place == kNoChargeEntry || sequence == sequences_.end() ||
        place >= static_cast<int32_t>(sequence->second.volts.size()))
        return;
    TSequence& charges = sequence->second;
    charges.volts.erase(charges.volts.begin() + place);
    if (charges.cursor > place)
        --charges.cursor;
    for (TEntry& entry : entries_)
        if (entry.module == module && entry.place >= place)
            entry.place = entry.place == place ? kNoChargeEntry : entry.place - 1;
}

void TChargePlan::Announce(int module) const
{
    if (THVControl* highVoltage = HighVoltageAt(controls_, module))
        LogFailure(highVoltage->SetCharge(Next(module)), kMsgChargeNotSet, module);
}

int TChargePlan::Next(int module, int usedUp) const
{
    const auto sequence = sequences_.find(module);
    if (sequence == sequences_.end())
        return usedUp;
    const TSequence& charges = sequence->second;
    return charges.cursor >= 0 && charges.cursor < static_cast<int32_t>(charges.volts.size())
               ? charges.volts[static_cast<size_t>(charges.cursor)]
               : usedUp;
}

int TChargePlan::ModuleOf(int32_t cue) const
{
    return cue >= 0 && static_cast<size_t>(cue) < entries_.size()
               ? entries_[static_cast<size_t>(cue)].module
               : -1;
}

std::vector<int> TChargePlan::Modules() const
{
    std::vector<int> modules;
    for (const auto& [module, charges] : sequences_)
        if (!charges.volts.empty())
            modules.push_back(module);
    return modules;
}

int32_t TChargePlan::Place(int32_t cue) const
{
    return cue >= 0 && static_cast<size_t>(cue) < entries_.size()
               ? entries_[static_cast<size_t>(cue)].place
               : kNoChargeEntry;
}

}  // namespace kv
