#pragma once
// A standby station: it follows the show the primary station runs on the same bus, and when
// that show goes silent its player becomes the master where the show stands: the clock at
// the time predicted, nothing fired that was heard fired. Main thread only.

#include "show/report/FiringReport.h"
#include "show/standby/StandbyFollower.h"

#include <functional>
#include <memory>

namespace kv {

class TCommonPlayer;

class TStandby {
public:
    // The player's scenario is the show followed; it must not change while armed.
    TStandby(TCommonPlayer& player, TPortProto& port, TStandbySetup setup);
    ~TStandby();

    void Arm();
    void Disarm();
    bool Armed() const { return follower_ != nullptr; }
    bool TookOver() const { return tookOver_; }
    // Every frame from the bus. While following, a start form of the clock message is not
    // the player's: answered, as a station's start would be, it would stop the modules.
    void Hear(const TFrameRecord& frame);
    const TStandbyFollower* Follower() const { return follower_.get(); }
    // The firing report of a show this station followed and did not take over: the cues heard
    // fired by the primary; the others it cannot tell.
    TFiringReport HeardReport() const;

    std::function<void()> OnTakeover;
    // Asked when the show goes silent: false leaves it where it stands, logged. The console
    // says no under a dialog, whose keys and buttons would act beside the show.
    std::function<bool()> MayTakeOver;
    // The show of the primary heard running has stopped, or went silent and was not taken
    // over: there is nothing more to follow.
    bool FollowedShowEnded() const { return followedEnded_; }

private:
    void TakeOver();
    void LogShow();
    // Said as soon as the primary's status tells it, not only when the show goes silent.
    void CheckControlMode();

    TCommonPlayer& player_;
    TPortProto& port_;
    TStandbySetup setup_;
    std::unique_ptr<TStandbyFollower> follower_;
    bool tookOver_ = false;
    bool modeTold_ = false;
    bool heardRunning_ = false;
    bool followedEnded_ = false;
};

}  // namespace kv
