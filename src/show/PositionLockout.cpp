#include "show/PositionLockout.h"

#include "show/ProjectList.h"
#include "support/AddedMessages.h"
#include "support/RunLog.h"

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

bool TPositionLockout::Holds(const TProjectList* scenario) const
{
    return scenario && scenario == scenario_ && scenario->Revision() == revision_;
}

void TPositionLockout::Set(const TProjectList& scenario, const std::string& position,
                           bool locked)
{
    if (position.empty())
        return;
    if (!Holds(&scenario)) {
        positions_.clear();
        scenario_ = &scenario;
        revision_ = scenario.Revision();
    }
    const bool changed = locked ? positions_.insert(position).second : positions_.erase(position) > 0;
    if (changed)
        WriteLog(Localize(locked ? kMsgPositionLocked : kMsgPositionUnlocked) + " " + position);
}

bool TPositionLockout::Locked(const TProjectList* scenario, const std::string& position) const
{
    return Holds(scenario) && positions_.contains(position);
}

std::vector<std::string> TPositionLockout::LockedPositions(const TProjectList* scenario) const
{
    return Holds(scenario) ? std::vector<std::string>(positions_.begin(), positions_.end())
                           : std::vector<std::string>();
}

bool TPositionLockout::ChannelLocked(const TProjectList* scenario, int module, int channel) const
{
    if (!Holds(scenario) || positions_.empty())
        return false;
    return std::any_of(scenario->Cues().begin(), scenario->Cues().end(), [&](const TCue& cue) {
        return cue.IsFiring() && cue.module == module && cue.channel == channel &&
               positions_.contains(cue.position);
    });
}

}  // namespace kv
