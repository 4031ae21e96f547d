#include "devices/ScenarioChecks.h"

#include "devices/Controls.h"
#include "devices/StoredCueTime.h"
#include "support/AddedMessages.h"

#include <set>

namespace kv {

std::vector<int> MissingModules(const TControls& controls, TCueView cues)
{
    std::set<int> missing;
    for (size_t i = 0; i < cues.size(); ++i)
        if (!controls.FindByAddress(cues[i].module))
            missing.insert(cues[i].module);
    return {missing.begin(), missing.end()};
}

std::vector<int> ModulesWithEarlyCues(const TControls& controls, TCueView cues)
{
    std::set<int> marked;
    for (size_t i = 0; i < cues.size(); ++i)
        if (cues[i].time <= 0 && controls.FindByAddress(cues[i].module))
            marked.insert(cues[i].module);
    return {marked.begin(), marked.end()};
}

std::vector<int> ModulesWithCuesOutsideMemory(TCueView cues)
{
    std::set<int> marked;
    for (size_t i = 0; i < cues.size(); ++i)
        if (!TimeFitsMemory(cues[i].time))
            marked.insert(cues[i].module);
    return {marked.begin(), marked.end()};
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
