#pragma once
// Positions of an imported show that the operator has locked out: their cues still to come
// are passed over, and a shot by key on one of their channels is refused. Each scenario (each
// of the console's slots) keeps its own lockout, as that scenario stands: reloaded, cleared or
// replaced, it starts with none, and the lockout it loses is logged.

#include "show/scenario/Cue.h"

#include <cstdint>
#include <map>
#include <set>
#include <span>
#include <string>
#include <vector>

namespace kv {

class TProjectList;

class TPositionLockout {
public:
    // Each position the cues name, once, in the order of its first cue.
    static std::vector<std::string> Positions(std::span<const TCue> cues);

    // Logged. An empty position is never locked.
    void Set(const TProjectList& scenario, const std::string& position, bool locked);
    bool Locked(const TProjectList* scenario, const std::string& position) const;
    // Sorted.
    std::vector<std::string> LockedPositions(const TProjectList* scenario) const;
    // Some cue of a locked position fires the channel.
    bool ChannelLocked(const TProjectList* scenario, int module, int channel) const;

private:
    struct TScenarioLockout {
        uint32_t revision = 0;
        std::set<std::string> positions;
    };

    // The scenario's locked positions; null for none. One set on the scenario as it stood
    // before a change is dropped here, logged.
    const std::set<std::string>* Held(const TProjectList* scenario) const;

    mutable std::map<const TProjectList*, TScenarioLockout> lockouts_;
};

}  // namespace kv
