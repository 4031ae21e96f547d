#pragma once
// A standby station's view of the show another station, the primary, runs on the same bus,
// from what the line carries: the primary's start and stop notices, the clock messages, the
// fire frames and the answers to the status queries this station sends. It says when a show
// the primary started has gone silent; the taking over is the player's. Main thread only.

#include "link/FrameRecord.h"

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <vector>

namespace kv {

class TPortProto;
class TProjectList;
class TTimer;

struct TStandbySetup {
    int primaryId = 0;          // 0: the station heard starting a show, or answering running
    uint32_t takeoverMs = 300;  // of silence in a running show
    int32_t tempo = 1000;       // the show's, as the primary plays it
};

enum class TFollowedShow {
    None,     // no show of the primary heard running
    Running,  // heard starting or running, no stop heard since
    Stopped,  // a stop heard from either station; a new start of the primary follows again
    Silent,   // gone silent while running: the verdict, given once
};

class TStandbyFollower {
public:
    TStandbyFollower(TPortProto& port, const TProjectList& scenario, TStandbySetup setup);
    ~TStandbyFollower();
    TStandbyFollower(const TStandbyFollower&) = delete;
    TStandbyFollower& operator=(const TStandbyFollower&) = delete;

    // Every frame from the bus.
    void Hear(const TFrameRecord& frame);
    // Asks the primary's status and judges its silence until Cancel.
    void Follow();
    void Cancel();

    TFollowedShow Show() const { return show_; }
    int PrimaryId() const { return primaryId_; }
    std::optional<int> PrimaryControlMode() const { return controlMode_; }
    // The primary's show time at that tick, from the last moment heard; behind rather than
    // ahead of it while it plays at the setup's tempo. None until a moment is heard.
    std::optional<int32_t> PredictedTime(uint32_t tick) const;
    // The first cue the primary may not have handled: after the last one heard fired, or past
    // the time the modules were last told.
    int32_t ResumeCue() const { return resumeCue_; }
    bool HeardFired(int32_t cue) const;

    // The verdict: the primary's show went silent.
    std::function<void()> OnSilent;
    // The primary's show heard running, or stopped.
    std::function<void()> OnShow;
    // A fire frame for a channel with no cue of this show left on it: the primary runs
    // another show, or fired by hand.
    std::function<void(int module, int channel)> OnStrayShot;

private:
    struct TMoment {
        int32_t time;
        uint32_t tick;
    };
    void SetShow(TFollowedShow show);
    // Two stations with one number: the primary's frames would pass for this station's own.
    void KeepOwnNumber(const TFrameRecord& frame);
    void HearStart(int stationId, int32_t time, uint32_t now);
    void HearStop();
    void HearStatus(int stationId, int launchState, int controlMode, uint32_t now);
    void HearFire(int module, int channel, uint32_t now);
    // The cue a fire frame fired: the first not heard fired on that channel.
    int32_t FiredCue(int module, int channel) const;
    // A fire frame gives the clock unless its cue lies ahead of the known clock (a shot by
    // key); with none known yet, two shots in step give it.
    void TakeShotMoment(int32_t cue, uint32_t now);
    bool FromPrimary(int stationId) const;
    // The primary may be firing: a query now would meet its frames on the line.
    bool Busy(uint32_t now) const;
    void Poll();

    TPortProto& port_;
    const TProjectList& scenario_;
    TStandbySetup setup_;
    int primaryId_;
    TFollowedShow show_ = TFollowedShow::None;
    std::optional<int> controlMode_;
    std::optional<TMoment> moment_;
    std::optional<TMoment> shotCandidate_;
    std::vector<bool> heardFired_;
    int32_t resumeCue_ = 0;
    uint32_t lastHeard_ = 0;
    uint32_t lastLine_ = 0;  // any frame on the line
    int unanswered_ = 0;
    TFrameRecord lastFire_{};
    uint32_t lastFireTick_ = 0;
    std::unique_ptr<TTimer> poll_;
};

}  // namespace kv
