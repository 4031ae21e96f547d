#include "show/standby/StandbyFollower.h"

#include "link/ClockMessage.h"
#include "link/FireCommand.h"
#include "link/PortProto.h"
#include "link/StationMessages.h"
#include "show/scenario/ProjectList.h"
#include "support/lang/AddedMessages.h"
#include "support/lang/Localizer.h"
#include "support/log/RunLog.h"
#include "support/platform/Platform.h"

#include <algorithm>

namespace kv {

namespace {

// A shot further ahead of the predicted clock than this was fired by key, not by the show.
constexpr int32_t kShotAheadMs = 250;
// An unacknowledged command may go out three times in a row: one shot.
constexpr uint32_t kRepeatMs = 50;
constexpr int kUnansweredQueries = 2;
// Until a show runs nothing is judged: a query now and then finds a primary already running,
// tells the primary that a standby follows it (asked within a second, twice), and leaves the
// line to the primary's bus search (answers it would take for a module's).
constexpr uint32_t kIdlePollMs = 800;
// Two stations that send at once garble both frames: no query where the primary's shots may
// be on the line, its clock ahead of the prediction and its shots a tick late by up to 30 ms.
constexpr int32_t kQuietMs = 35;
// Another station's bus search or channel test leaves no more than this between its frames.
constexpr uint32_t kLineBusyMs = 200;

uint32_t PollInterval(uint32_t takeoverMs)
{
    return std::clamp<uint32_t>(takeoverMs / 4, 25, 250);
}

}  // namespace

TStandbyFollower::TStandbyFollower(TPortProto& port, const TProjectList& scenario,
                                   TStandbySetup setup)
    : port_(port),
      scenario_(scenario),
      setup_(setup),
      primaryId_(setup.primaryId),
      heardFired_(static_cast<size_t>(scenario.Count()), false),
      poll_(Platform().CreateTimer([this] { Poll(); }))
{
    poll_->SetInterval(kIdlePollMs);
}

TStandbyFollower::~TStandbyFollower() = default;

void TStandbyFollower::Follow()
{
    unanswered_ = 0;
    lastHeard_ = Platform().TickCount();
    poll_->SetEnabled(true);
}

void TStandbyFollower::Cancel()
{
    poll_->SetEnabled(false);
}

void TStandbyFollower::Hear(const TFrameRecord& frame)
{
    if (show_ == TFollowedShow::Silent)
        return;  // this station's player is the master now and hears for itself
    const uint32_t now = Platform().TickCount();
    lastLine_ = now;
    KeepOwnNumber(frame);
    if (const auto notice = DecodeStationNotice(frame)) {
        if (notice->start)
            HearStart(notice->stationId, notice->timeMs, now);
        else
            HearStop();
    } else if (const auto status = DecodeStationStatus(frame)) {
        if (status->askerId == port_.StationId())
            HearStatus(status->stationId, status->launchState, status->controlMode, now);
    } else if (const auto asker = DecodeStatusQuery(frame)) {
        // The primary back from a hold-up asks before it fires again: it lives.
        if (FromPrimary(*asker)) {
            lastHeard_ = now;
            unanswered_ = 0;
        }
    } else if (const auto clock = DecodeClock(frame)) {
        if (!clock->running) {
            HearStop();
        } else if (show_ == TFollowedShow::Running) {
            moment_ = TMoment{clock->timeMs, now};
            lastHeard_ = now;
            const auto cues = scenario_.Cues();
            const auto past = std::find_if(cues.begin(), cues.end(), [&](const auto& cue) {
                return cue.time > clock->timeMs;
            });
            resumeCue_ = std::max(resumeCue_, static_cast<int32_t>(past - cues.begin()));
        }
    } else if (const auto fire = DecodeFire(frame); fire && show_ != TFollowedShow::Stopped) {
        // Shots before the show is known to run (its start unheard, garbled by a frame sent at
        // once): fired all the same, and a clock to ask by.
        if (show_ == TFollowedShow::None)
            poll_->SetInterval(PollInterval(setup_.takeoverMs));
        const bool repeat = frame == lastFire_ && now - lastFireTick_ < kRepeatMs;
        lastFire_ = frame;
        lastFireTick_ = now;
        lastHeard_ = now;
        if (!repeat)
            HearFire(fire->address, fire->channel, now);
    }
}

void TStandbyFollower::KeepOwnNumber(const TFrameRecord& frame)
{
    // This station's own frames never come back from the line: one that carries its number
    // is another station's with the same number, the primary's most likely.
    std::optional<int> sender;
    if (const auto notice = DecodeStationNotice(frame))
        sender = notice->stationId;
    else if (const auto status = DecodeStationStatus(frame))
        sender = status->stationId;
    else if (const auto asker = DecodeStatusQuery(frame))
        sender = *asker;
    if (!sender || *sender != port_.StationId())
        return;
    port_.DrawStationIdOtherThan(*sender);
    WriteLog(Localize(kMsgStandbyNewStationId) + " " + std::to_string(port_.StationId()));
}

void TStandbyFollower::HearStart(int stationId, int32_t time, uint32_t now)
{
    if (primaryId_ == 0 && stationId != port_.StationId())
        primaryId_ = stationId;
    if (!FromPrimary(stationId))
        return;
    SetShow(TFollowedShow::Running);
    moment_ = TMoment{time, now};
    shotCandidate_.reset();
    lastHeard_ = now;
    unanswered_ = 0;
    const auto cues = scenario_.Cues();
    resumeCue_ = static_cast<int32_t>(
        std::find_if(cues.begin(), cues.end(), [&](const auto& cue) { return cue.time >= time; }) -
        cues.begin());
}

void TStandbyFollower::SetShow(TFollowedShow show)
{
    const bool changed = show != show_;
    show_ = show;
    poll_->SetInterval(show == TFollowedShow::Running ? PollInterval(setup_.takeoverMs)
                                                       : kIdlePollMs);
    if (changed && OnShow)
        OnShow();
}

void TStandbyFollower::HearStop()
{
    if (show_ == TFollowedShow::Running)
        SetShow(TFollowedShow::Stopped);
}

void TStandbyFollower::HearStatus(int stationId, int launchState, int controlMode, uint32_t now)
{
    if (primaryId_ == 0 && launchState == kLaunchRunning && stationId != port_.StationId())
        primaryId_ = stationId;
    if (!FromPrimary(stationId))
        return;
    lastHeard_ = now;
    unanswered_ = 0;
    controlMode_ = controlMode;
    // Running again after a stop is a start this station did not hear: not followed.
    if (launchState == kLaunchRunning && show_ == TFollowedShow::None)
        SetShow(TFollowedShow::Running);
    else if (launchState != kLaunchRunning && show_ == TFollowedShow::Running)
        SetShow(TFollowedShow::Stopped);  // its stop went unheard
}

void TStandbyFollower::HearFire(int module, int channel, uint32_t now)
{
    const int32_t cue = FiredCue(module, channel);
    if (cue < 0) {
        if (OnStrayShot)
            OnStrayShot(module, channel);
        return;
    }
    heardFired_[static_cast<size_t>(cue)] = true;
    TakeShotMoment(cue, now);
}

int32_t TStandbyFollower::FiredCue(int module, int channel) const
{
    const int32_t count = std::min(scenario_.Count(), static_cast<int>(heardFired_.size()));
    for (int32_t i = 0; i < count; ++i) {
        const auto& cue = scenario_.Cue(i);
        if (cue.IsFiring() && cue.module == module && cue.channel == channel &&
            !heardFired_[static_cast<size_t>(i)])
            return i;
    }
    return -1;
}

void TStandbyFollower::TakeShotMoment(int32_t cue, uint32_t now)
{
    const int32_t time = scenario_.Cue(cue).time;
    if (moment_) {
        if (time > *PredictedTime(now) + kShotAheadMs)
            return;
    } else {
        const bool inStep =
            shotCandidate_ && time >= shotCandidate_->time &&
            time - shotCandidate_->time <=
                static_cast<int64_t>(now - shotCandidate_->tick) * setup_.tempo / 1000 + kShotAheadMs;
        if (!inStep) {
            shotCandidate_ = TMoment{time, now};
            return;
        }
    }
    moment_ = TMoment{time, now};
    resumeCue_ = std::max(resumeCue_, cue + 1);
}

bool TStandbyFollower::FromPrimary(int stationId) const
{
    return stationId != 0 && stationId == primaryId_ && stationId != port_.StationId();
}

std::optional<int32_t> TStandbyFollower::PredictedTime(uint32_t tick) const
{
    if (!moment_)
        return std::nullopt;
    const int64_t elapsed = static_cast<int64_t>(static_cast<uint32_t>(tick - moment_->tick));
    return static_cast<int32_t>(moment_->time + elapsed * setup_.tempo / 1000);
}

bool TStandbyFollower::HeardFired(int32_t cue) const
{
    return cue >= 0 && cue < static_cast<int32_t>(heardFired_.size()) &&
           heardFired_[static_cast<size_t>(cue)];
}

bool TStandbyFollower::Busy(uint32_t now) const
{
    // Silent for half the time allowed, it is asked whatever the cues: a verdict must come.
    if (!moment_ || now - lastHeard_ >= setup_.takeoverMs / 2)
        return false;
    const int32_t predicted = *PredictedTime(now);
    const auto cues = scenario_.Cues();
    return std::any_of(cues.begin(), cues.end(), [&](const auto& cue) {
        return cue.time >= predicted - kQuietMs && cue.time <= predicted + kQuietMs;
    });
}

void TStandbyFollower::Poll()
{
    const uint32_t now = Platform().TickCount();
    if (show_ == TFollowedShow::Running && moment_ && unanswered_ >= kUnansweredQueries &&
        now - lastHeard_ >= setup_.takeoverMs) {
        show_ = TFollowedShow::Silent;
        Cancel();
        if (OnSilent)
            OnSilent();
        return;
    }
    if (Busy(now))
        return;
    // Before a show, a search or test under way would take the query's answers for a
    // module's, and miss the module.
    if (show_ != TFollowedShow::Running && now - lastLine_ < kLineBusyMs)
        return;
    // A query that did not go out is no silence of the primary: this station's line is down.
    if (port_.SendStatusQuery(primaryId_) == kLinkOk)
        ++unanswered_;
    else
        unanswered_ = 0;
}

}  // namespace kv
