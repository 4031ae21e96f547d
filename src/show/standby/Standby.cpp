#include "show/standby/Standby.h"

#include "devices/registry/Controls.h"
#include "show/player/CommonPlayer.h"
#include "show/scenario/ProjectList.h"
#include "support/lang/AddedMessages.h"
#include "support/lang/Localizer.h"
#include "support/log/RunLog.h"
#include "support/platform/Platform.h"

#include <string>
#include <vector>

namespace kv {

TStandby::TStandby(TCommonPlayer& player, TPortProto& port, TStandbySetup setup)
    : player_(player), port_(port), setup_(setup)
{
}

TStandby::~TStandby() = default;

void TStandby::Arm()
{
    const TProjectList* scenario = player_.Setup().scenario;
    if (!scenario || player_.IsRunning())
        return;
    tookOver_ = false;
    modeTold_ = false;
    heardRunning_ = followedEnded_ = false;
    follower_ = std::make_unique<TStandbyFollower>(port_, *scenario, setup_);
    follower_->OnSilent = [this] { TakeOver(); };
    follower_->OnShow = [this] { LogShow(); };
    follower_->OnStrayShot = [](int module, int channel) {
        WriteLog(Localize(kMsgStandbyStrayShot) + " " + std::to_string(module) + "/" +
                 std::to_string(channel + 1));
    };
    WriteLog(Localize(kMsgStandbyArmed) + " " + std::to_string(setup_.takeoverMs));
    follower_->Follow();
}

void TStandby::Disarm()
{
    if (follower_ && !tookOver_)
        WriteLog(Localize(kMsgStandbyDisarmed));
    follower_.reset();
}

void TStandby::Hear(const TFrameRecord& frame)
{
    if (!follower_ || tookOver_) {
        player_.HandleMessage(frame);
        return;
    }
    follower_->Hear(frame);
    CheckControlMode();
    // The station answers the status queries of others as any station does.
    if (frame[5] == kStationAddress)
        player_.HandleMessage(frame);
}

TFiringReport TStandby::HeardReport() const
{
    TFiringReport report;
    const TProjectList* scenario = player_.Setup().scenario;
    if (!scenario || !follower_)
        return report;
    report.Begin(scenario->Cues(), 0, 0);
    for (int32_t cue = 0; cue < scenario->Count(); ++cue)
        if (follower_->HeardFired(cue))
            report.FiredElsewhere(cue);
    return report;
}

void TStandby::LogShow()
{
    const TFollowedShow show = follower_->Show();
    heardRunning_ = heardRunning_ || show == TFollowedShow::Running;
    followedEnded_ = followedEnded_ || (heardRunning_ && show == TFollowedShow::Stopped);
    if (show == TFollowedShow::Running || show == TFollowedShow::Stopped)
        WriteLog(Localize(show == TFollowedShow::Running ? kMsgStandbyHeardRunning
                                                          : kMsgStandbyHeardStopped) +
                 " " + std::to_string(follower_->PrimaryId()));
}

void TStandby::CheckControlMode()
{
    const auto mode = follower_->PrimaryControlMode();
    if (modeTold_ || !mode || *mode == player_.Setup().controlMode)
        return;
    modeTold_ = true;
    WriteLog(Localize(kMsgStandbyModeDiffersNow));
}

void TStandby::TakeOver()
{
    const TStandbyFollower& follower = *follower_;
    const auto time = follower.PredictedTime(Platform().TickCount());
    // Fired directly here while the modules play their memory, every cue would fire twice.
    if (!time || follower.PrimaryControlMode() != player_.Setup().controlMode) {
        WriteLog(Localize(kMsgStandbyModeDiffers));
        followedEnded_ = true;
        return;
    }
    if (MayTakeOver && !MayTakeOver()) {
        WriteLog(Localize(kMsgStandbyUnderDialog));
        followedEnded_ = true;
        return;
    }
    std::vector<int32_t> heard;
    for (int32_t cue = 0; cue < player_.Setup().scenario->Count(); ++cue)
        if (follower.HeardFired(cue))
            heard.push_back(cue);
    WriteLog(Localize(kMsgStandbyTakesOver) + " " + std::to_string(*time));
    // Taken over before the player starts: what hears of its start must find no follower.
    tookOver_ = true;
    tookOver_ = player_.TakeOver(*time, follower.ResumeCue(), heard);
    followedEnded_ = !tookOver_;
    if (tookOver_ && OnTakeover)
        OnTakeover();
}

}  // namespace kv
