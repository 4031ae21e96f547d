#pragma once
// Positions of an imported show that the operator has locked out: their cues still to come
// are passed over, and a shot by key on one of their channels is refused. A lockout holds
// for the scenario it was set on, as that scenario stands: another or a reloaded one starts
// with none.

#include "show/Cue.h"

#include <cstdint>
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
    bool Holds(const TProjectList* scenario) const;

    const TProjectList* scenario_ = nullptr;
    uint32_t revision_ = 0;
    std::set<std::string> positions_;
};

}  // namespace kv
