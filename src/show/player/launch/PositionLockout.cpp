#include "show/player/launch/PositionLockout.h"

#include "show/scenario/ProjectList.h"
#include "support/lang/AddedMessages.h"
#include "support/log/RunLog.h"

#include <algorithm>

namespace kv {

std::vector<std::string> TPositionLockout::Positions(std::span<const TCue> cues)
{
    std::vector<std::string> positions;
    std::set<std::string> seen;
    for (const TCue& cue : cues)
        if (!cue.position.empty() && seen.insert(cue.position).second)
            positions.push_back(cue.position);
    return positions;
}

const std::set<std::string>* TPositionLockout::Held(const TProjectList* scenario) const
{
    const auto found = scenario ? lockouts_.find(scenario) : lockouts_.end();
    if (found == lockouts_.end())
        return nullptr;
    if (found->second.revision == scenario->Revision())
        return &found->second.positions;
    const std::set<std::string>& dropped = found->second.positions;
    if (!dropped.empty()) {
        std::string names;
        for (const std::string& position : dropped)
            names += (names.empty() ? "" : ", ") + position;
        WriteLog(Localize(kMsgLockoutCleared) + " " + names);
    }
    lockouts_.erase(found);
    return nullptr;
}

void TPositionLockout::Set(const TProjectList& scenario, const std::string& position,
                           bool locked)
{
    if (position.empty())
        return;
    Held(&scenario);
    TScenarioLockout& lockout = lockouts_[&scenario];
    lockout.revision = scenario.Revision();
    std::set<std::string>& positions = lockout.positions;
    const bool changed = locked ? positions.insert(position).second : positions.erase(position) > 0;
    if (changed)
        WriteLog(Localize(locked ? kMsgPositionLocked : kMsgPositionUnlocked) + " " + position);
}

bool TPositionLockout::Locked(const TProjectList* scenario, const std::string& position) const
{
    const std::set<std::string>* positions = Held(scenario);
    return positions && positions->contains(position);
}

std::vector<std::string> TPositionLockout::LockedPositions(const TProjectList* scenario) const
{
    const std::set<std::string>* positions = Held(scenario);
    return positions ? std::vector<std::string>(positions->begin(), positions->end())
                     : std::vector<std::string>();
}

bool TPositionLockout::ChannelLocked(const TProjectList* scenario, int module, int channel) const
{
    const std::set<std::string>* positions = Held(scenario);
    if (!positions || positions->empty())
        return false;
    return std::any_of(scenario->Cues().begin(), scenario->Cues().end(), [&](const TCue& cue) {
        return cue.IsFiring() && cue.module == module && cue.channel == channel &&
               positions->contains(cue.position);
    });
}

}  // namespace kv
