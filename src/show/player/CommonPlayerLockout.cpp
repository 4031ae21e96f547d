// The operator's lockout of positions, as the show and the keys keep it.
#include "show/player/CommonPlayer.h"

#include "show/scenario/ProjectList.h"
#include "support/lang/AddedMessages.h"
#include "support/log/RunLog.h"

#include <algorithm>

namespace kv {

bool TCommonPlayer::LockPosition(const std::string& position, bool locked)
{
    const std::span<const TCue> cues = Cues();
    const bool named = std::any_of(cues.begin(), cues.end(),
                                   [&](const TCue& cue) { return cue.position == position; });
    if (!scenario || position.empty() || !named || controlMode == kControlAutonomous)
        return false;
    lockout_.Set(*scenario, position, locked);
    // A shot handed to the port ahead of its moment is taken back unless still allowed.
    run_->Replan();
    return true;
}

bool TCommonPlayer::PositionLocked(const std::string& position) const
{
    return lockout_.Locked(scenario, position);
}

std::vector<std::string> TCommonPlayer::LockedPositions() const
{
    return lockout_.LockedPositions(scenario);
}

bool TCommonPlayer::ChannelLockedOut(int module, int channel) const
{
    return lockout_.ChannelLocked(scenario, module, channel);
}

bool TCommonPlayer::PassLockedCue(int32_t index)
{
    const std::span<const TCue> cues = Cues();
    if (index < 0 || static_cast<size_t>(index) >= cues.size())
        return false;
    const TCue& cue = cues[static_cast<size_t>(index)];
    if (!lockout_.Locked(scenario, cue.position))
        return false;
    WriteLog(Localize(kMsgLockedOutCue) + " " +
             (cue.IsMotor() ? std::to_string(cue.module) : ShotText(cue.module, cue.channel)));
    report_.Missed(index, TMissReason::PositionLockedOut);
    return true;
}

void TCommonPlayer::PassLockedShot(int32_t index)
{
    report_.Missed(index, TMissReason::PositionLockedOut);
}

}  // namespace kv
