#include "show/player/run/AutonomousRun.h"

#include "devices/kinds/CommonControl.h"
#include "devices/memory/ModuleCues.h"
#include "devices/registry/Controls.h"
#include "link/BusEncoding.h"
#include "link/PortProto.h"
#include "show/player/bus/BusFailureLog.h"
#include "show/player/CommonPlayer.h"
#include "show/scenario/ProjectList.h"
#include "support/lang/AddedMessages.h"
#include "support/log/RunLog.h"
#include "support/platform/Platform.h"

#include <algorithm>

namespace kv {

void TAutonomousRun::Begin(uint32_t now)
{
    broadcast_.Begin(TenthAfterCuesBefore(show_.nextCue_));
    beyondBusTime_ = false;
    if (show_.firingMode != kFiringManual)
        TellTheTime(now, show_.ClockAt(now));
}

void TAutonomousRun::Run(uint32_t now)
{
    TellTheTime(now, show_.ClockAt(now));
    PassMemoryCues(broadcast_.SurelyPlayedTo(now));
    const int32_t duration = show_.scenario ? show_.scenario->Duration() : 0;
    if (static_cast<int64_t>(show_.clock_.Reading()) >=
        static_cast<int64_t>(duration) + TCommonPlayer::kEndPauseMs)
        show_.EndShow();
}

void TAutonomousRun::RunEnding(uint32_t now)
{
    // The modules' clocks run on at real speed until the stop: not ahead of a slower show.
    if (show_.firingMode != kFiringManual)
        TellTheTime(now, show_.ClockAt(now));
}

int32_t TAutonomousRun::Halt(bool wasRunning)
{
    const uint32_t now = Platform().TickCount();
    const int32_t memoryLeft = MemoryLeftMs(now);
    broadcast_.Stopped(now);
    // What the modules fired since the last tick counts as handled: a resume must not start
    // their clocks at or before it.
    if (wasRunning && show_.firingMode != kFiringManual)
        PassMemoryCuesAtStop(now, TMissReason::StoppedBefore);
    return memoryLeft;
}

void TAutonomousRun::Jumped(int32_t to, uint32_t now)
{
    // A running module clock set forward would fire every cue on the way at once.
    broadcast_.Stopped(now);
    PassMemoryCuesAtStop(now, TMissReason::TimecodeJump);
    show_.stops_.SendBeforeStart(show_.currentTime_);
    show_.PassCuesUpTo(to);
    broadcast_.Begin(TenthAfterCuesBefore(show_.nextCue_));
}

void TAutonomousRun::BeforeOffsetBack(int32_t change)
{
    // Set back, the show would leave the modules ahead until they hear where it is now.
    if (!TellsTheTime())
        return;
    const uint32_t now = Platform().TickCount();
    show_.UpdateClock(now);
    TellTheTime(now, show_.ClockAt(now) + change);
}

void TAutonomousRun::Replan()
{
    // A clock the operator moved, or slowed, is not left to the next tick.
    if (!TellsTheTime())
        return;
    const uint32_t now = Platform().TickCount();
    show_.UpdateClock(now);
    TellTheTime(now, show_.ClockAt(now));
}

void TAutonomousRun::ClocksStopped(uint32_t now, bool inShow)
{
    broadcast_.Stopped(now);
    // What they fired up to here is recorded; their start again passes over the rest below it.
    if (inShow && show_.firingMode != kFiringManual)
        PassMemoryCuesAtStop(now, TMissReason::StoppedBefore);
}

bool TAutonomousRun::TellsTheTime() const
{
    return show_.Firing() && !show_.busy_ && show_.firingMode != kFiringManual;
}

void TAutonomousRun::TellTheTime(uint32_t now, int32_t showTime)
{
    if (beyondBusTime_)
        return;
    const TShowClock& clock = show_.clock_;
    const TTimeBroadcast::TFrame frame = broadcast_.Next(
        {showTime, now, clock.Pace(), clock.FollowsSignal()}, show_.timeBroadcastInterval);
    if (frame.action == TTimeBroadcast::TAction::None)
        return;
    if (frame.time > kLastBusTimeMs) {
        // Past the bus's 16-bit time the broadcast would wrap to an early time.
        WriteLog(Localize(kMsgClockBeyondBusTime));
        beyondBusTime_ = true;
        return;
    }
    LogFailure(show_.port_.SendClock(frame.time, frame.action == TTimeBroadcast::TAction::Start),
               kMsgClockNotSent, frame.time);
    broadcast_.Sent(frame, now);
    // Stood until the show is back: what they fired up to here is recorded before their start
    // again passes over the rest.
    if (frame.action == TTimeBroadcast::TAction::Stop && show_.firingMode != kFiringManual)
        PassMemoryCuesAtStop(now, TMissReason::StoppedBefore);
}

int32_t TAutonomousRun::MemoryLeftMs(uint32_t now) const
{
    const std::span<const TCue> cues = show_.Cues();
    if (!broadcast_.Running() || cues.empty())
        return -1;
    const auto last = std::max_element(cues.begin(), cues.end(), [](const TCue& a, const TCue& b) {
        return a.time < b.time;
    });
    return std::max(last->time - broadcast_.PlayedTo(now), 0);
}

void TAutonomousRun::PassMemoryCuesAtStop(uint32_t now, TMissReason uncertain)
{
    PassMemoryCues(broadcast_.SurelyPlayedTo(now), broadcast_.PlayedTo(now), uncertain);
}

void TAutonomousRun::PassMemoryCues(int32_t surely, int32_t mayHave, TMissReason uncertain)
{
    // The modules fire from their memory: the shots are only recorded, each as the modules'
    // clocks surely reached its time, every one of them. A stop before then reports it
    // missed, though it may have fired; nothing fires it again (the modules' next start is
    // above where they may have played).
    const std::span<const TCue> cues = show_.Cues();
    int32_t& next = show_.nextCue_;
    while (show_.IsRunning() && next >= 0 && static_cast<size_t>(next) < cues.size()) {
        const TCue& cue = cues[static_cast<size_t>(next)];
        // Passed over by the modules' start from standing above it (the show clock, or the
        // modules surely, past it); what they fired before a stop was recorded at the stop.
        if ((cue.time <= show_.clock_.Reading() || cue.time <= surely) &&
            MemoryTime(cue) < broadcast_.StartedFrom())
            show_.report_.Missed(next++, PassedByStart());
        else if (cue.time <= surely)
            show_.HandleCue(next++, true);
        else if (cue.time <= mayHave)
            show_.report_.Missed(next++, uncertain);
        else
            break;
    }
}

TMissReason TAutonomousRun::PassedByStart() const
{
    // The modules start after it: at the start point, or again after they were stopped, which
    // in a show on timecode is the timecode's doing.
    if (!broadcast_.Restarted())
        return TMissReason::BeforeStart;
    return show_.Chased() ? TMissReason::TimecodeJump : TMissReason::StoppedBefore;
}

int32_t TAutonomousRun::TenthAfterCuesBefore(int32_t index) const
{
    const std::span<const TCue> all = show_.Cues();
    const std::span<const TCue> cues =
        all.first(static_cast<size_t>(std::clamp(index, 0, static_cast<int32_t>(all.size()))));
    if (cues.empty())
        return 0;
    // Kept rounded up, a cue may lie in memory on the very tenth after its time.
    int32_t latest = INT32_MIN;
    for (const TCue& cue : cues)
        latest = std::max(latest, MemoryTime(cue));
    return TenthAtOrBelow(latest) + 100;
}

int32_t TAutonomousRun::MemoryTime(const TCue& cue) const
{
    const auto* module =
        dynamic_cast<const TCommonControl*>(show_.controls_.FindByAddress(cue.module));
    return StoredCueTime(cue.time, module ? MemorySteps(*module) : TTimeSteps::Steps100ms);
}

}  // namespace kv
