#include "devices/memory/ScenarioChecks.h"

#include "devices/registry/Controls.h"
#include "devices/kinds/HVControl.h"
#include "devices/memory/StoredCueTime.h"
#include "support/lang/AddedMessages.h"

#include <map>
#include <set>

namespace kv {

namespace {

// Ascending, each once: the modules of the cues that pass.
template <typename Test>
std::vector<int> ModulesWhere(TCueView cues, Test test)
{
    std::set<int> marked;
    for (size_t i = 0; i < cues.size(); ++i)
        if (test(cues[i]))
            marked.insert(cues[i].module);
    return {marked.begin(), marked.end()};
}

const THVControl* HighVoltageModule(const TControls& controls, const TScenarioCue& cue)
{
    return cue.kind == kKindFire ? dynamic_cast<const THVControl*>(controls.FindByAddress(cue.module))
                                 : nullptr;
}

}  // namespace

void MarkScenarioChannels(TControls& controls, TCueView cues)
{
    for (int index = 0; index < controls.Count(); ++index)
        if (auto* module = dynamic_cast<TCommonControl*>(controls.DeviceAt(index)))
            module->ClearScenarioMarks();
    for (size_t i = 0; i < cues.size(); ++i) {
        const TScenarioCue& cue = cues[i];
        if (cue.kind != kKindFire || !IsFiringModuleAddress(cue.module))
            continue;
        if (auto* module = dynamic_cast<TCommonControl*>(controls.FindByAddress(cue.module)))
            Ignore(module->MarkInScenario(cue.channel),
                   "a channel outside the tables is refused by the scenario checks");
    }
}

std::vector<int> MissingModules(const TControls& controls, TCueView cues)
{
    return ModulesWhere(
        cues, [&](const TScenarioCue& cue) { return !controls.FindByAddress(cue.module); });
}

std::vector<int> ModulesWithEarlyCues(const TControls& controls, TCueView cues)
{
    return ModulesWhere(cues, [&](const TScenarioCue& cue) {
        return cue.time <= 0 && controls.FindByAddress(cue.module);
    });
}

std::vector<int> ModulesWithCuesOutsideMemory(TCueView cues)
{
    return ModulesWhere(cues, [](const TScenarioCue& cue) { return !TimeFitsMemory(cue.time); });
}

std::vector<TScenarioWarning> ScenarioWarnings(const TControls& controls, TCueView cues,
                                               bool write)
{
    std::vector<TScenarioWarning> found{{MissingModulesMessage(), MissingModules(controls, cues)}};
    if (write) {
        found.push_back({EarlyCuesMessage(), ModulesWithEarlyCues(controls, cues)});
        found.push_back({CuesOutsideMemoryMessage(), ModulesWithCuesOutsideMemory(cues)});
    }
    std::erase_if(found, [](const TScenarioWarning& warning) { return warning.modules.empty(); });
    return found;
}

std::vector<int> ModulesInTestMode(const TControls& controls, TCueView cues)
{
    return ModulesWhere(cues, [&](const TScenarioCue& cue) {
        const auto* module = dynamic_cast<const TCommonControl*>(controls.FindByAddress(cue.module));
        return module && IsFiringModuleAddress(module->address) && module->modeState == 1;
    });
}

std::vector<int> ModulesSilentSinceFound(const TControls& controls, TCueView cues)
{
    return ModulesWhere(cues, [&](const TScenarioCue& cue) {
        const auto* module = dynamic_cast<const TCommonControl*>(controls.FindByAddress(cue.module));
        return module && IsFiringModuleAddress(module->address) && module->wentSilent;
    });
}

std::vector<int> HighVoltageSettingUnknown(const TControls& controls, TCueView cues)
{
    return ModulesWhere(cues, [&](const TScenarioCue& cue) {
        const THVControl* module = HighVoltageModule(controls, cue);
        return module && module->hvSetting == kHVSettingUnknown;
    });
}

std::vector<int> HighVoltageChannelsUnmeasured(const TControls& controls, TCueView cues)
{
    return ModulesWhere(cues, [&](const TScenarioCue& cue) {
        const THVControl* module = HighVoltageModule(controls, cue);
        return module && cue.channel < module->channelCount && module->ChannelValue(cue.channel) == 0;
    });
}

std::vector<int> HighVoltageChargesInTurn(const TControls& controls, TCueView cues, int32_t from)
{
    std::map<int, int> firstCharge;
    return ModulesWhere(cues, [&](const TScenarioCue& cue) {
        const THVControl* module = HighVoltageModule(controls, cue);
        if (!module || cue.time < from || !IsWritableFiringCue(cue))
            return false;
        const int volts = module->ChannelCharge(cue.channel);
        return firstCharge.try_emplace(cue.module, volts).first->second != volts;
    });
}

std::vector<TScenarioWarning> ModuleStateWarnings(const TControls& controls, TCueView cues)
{
    std::vector<TScenarioWarning> found{
        {Localize(kMsgModulesInTestMode), ModulesInTestMode(controls, cues)},
        {Localize(kMsgHVSettingUnknown), HighVoltageSettingUnknown(controls, cues)},
        {Localize(kMsgHVChannelsUnmeasured), HighVoltageChannelsUnmeasured(controls, cues)}};
    std::erase_if(found, [](const TScenarioWarning& warning) { return warning.modules.empty(); });
    return found;
}

std::string ModuleListText(const std::vector<int>& modules)
{
    std::string text;
    for (const int module : modules)
        text += (text.empty() ? "" : ", ") + std::to_string(module);
    return text;
}

std::string MissingModulesMessage()
{
    return Localize(47, "В сценарии обнаружены неподключенные пульты...");
}

std::string EarlyCuesMessage()
{
    return Localize(48, "Сценарий может быть воспроизведен некорректно...");
}

std::string CuesOutsideMemoryMessage()
{
    return Localize(kMsgCuesOutsideMemory);
}

}  // namespace kv
