#pragma once
// The show player: keeps the scenario clock on a 25 ms timer, fires the cues of the current
// scenario when their time comes, plays the soundtrack from the start point, broadcasts the
// show time in autonomous control, answers other stations and obeys a remote stop.
// Runs on the main thread only.

#include "audio/BassPlayer.h"
#include "link/FrameRecord.h"
#include "show/player/run/AutonomousRun.h"
#include "show/player/shots/ChargePlan.h"
#include "show/player/run/DirectRun.h"
#include "show/player/shots/KeyShots.h"
#include "show/player/launch/PositionLockout.h"
#include "show/player/launch/ResumePoint.h"
#include "show/player/run/ShowClock.h"
#include "show/player/run/ShowRealTime.h"
#include "show/player/ShowReportFile.h"
#include "show/player/ShowSetup.h"
#include "show/player/bus/StandbyWatch.h"
#include "show/player/bus/StopBroadcast.h"
#include "show/report/FiringReport.h"
#include "show/scenario/Cue.h"

#include <climits>
#include <cstdint>
#include <functional>
#include <memory>
#include <span>
#include <string>
#include <vector>

namespace kv {

class TControls;
class THVControl;
class TPortProto;
class TProjectList;
class TTimecodeChase;
class TTimer;

// A channel the bus and the device tables can take: module 0-255, channel 0-511.
bool IsFirableChannel(int module, int channel);
// "module, channel: n" for the log, the channel counted from 1.
std::string ShotText(int module, int channel);

// What the show does with a cue at its turn, before its moment is looked at.
enum class TCueVerdict { Fire, Motor, TakenByHand, LockedOut, OutsideTables, ModuleAbsent };

// The player's states:
//
//            Start, StartChased, a start from the bus
//   Stopped ------------------------------------------> Running <--+ Start again: a restart
//      ^                                                 |  |      |
//      |                   last cue sent (direct), clock |  +------+
//      |                  past the end (autonomous)      v
//      +------------- 500 ms on the tick timer ------ Ending
//      +------------- Stop, a stop from the bus, the timecode lost (Running or Ending)
//      +------------- the standby found running the show: nothing sent, no stop either
//
// Only Running fires or changes what the modules are told. Ending lets the last shots leave
// the line before the high voltage goes off; it takes no start, shot by key, clock or bus
// event that could fire; nor does Running while it asks a standby, after a hold-up, whether
// it went on with the show. A show that ends, by its pause or by a stop in it, leaves the start
// point on its last cue, where a start fires nothing it fired.
enum class TPlayerState { Stopped, Running, Ending };

class TCommonPlayer {
public:
    static constexpr uint32_t kTimerPeriodMs = kShowTickMs;
    static constexpr uint32_t kEndPauseMs = 500;
    static constexpr uint32_t kManualChargePauseMs = 2000;
    // What a show may be started with from the command line: a tempo given in per cent (100)
    // or an offset in seconds read as milliseconds would move the whole show.
    static constexpr int32_t kMinStartTempo = 500;
    static constexpr int32_t kMaxStartTempo = 2000;
    static constexpr int32_t kMaxStartOffsetMs = 600'000;

    // The platform must be installed: the timer comes from it.
    TCommonPlayer(TControls& controls, TPortProto& port);
    virtual ~TCommonPlayer();
    TCommonPlayer(const TCommonPlayer&) = delete;
    TCommonPlayer& operator=(const TCommonPlayer&) = delete;

    virtual void Tick();
    virtual void IdleWork() {}
    // Reports a file that does not open to the operator.
    bool LoadSoundtrack(const std::string& file);
    void UnloadSoundtrack();
    // Also restarts a running show at from. With the start point left where the last show
    // stopped (or on the time of the first cue it had not handled), the show goes on after
    // the cues that show handled, another master's start at another time too.
    virtual void Start(int32_t from);
    // Starts as Start does, the clock following the timecode from from on: the chase must be
    // locked on timecode at or past from. No soundtrack plays: the desk plays the music.
    void StartChased(int32_t from, TTimecodeChase& chase);
    bool Chased() const { return clock_.Chase() != nullptr; }
    // Tells the other stations and the modules to stop too.
    void Stop(bool stopSoundtrack) { Halt(stopSoundtrack, true); }
    // The converter is back: a stop that could not go out goes now, unless a show started
    // since. Modules playing their memory would otherwise play on after the stop. A show
    // that runs on charges its high-voltage modules for their next shots.
    void ConverterBack();
    // The last show's stop did not reach every converter: the modules may play on from
    // their memory. Repeating while they may.
    bool StopOwed() const { return stops_.Owed(); }
    bool StopRepeating() const { return stops_.Repeating(); }
    // Every frame from the bus, after the registry has seen it.
    virtual void HandleMessage(const TFrameRecord& message);
    // manual: the operator's key (a high-voltage module's own charge is FireByHand's; the
    // charge to follow is the one its next show shot needs while the show fires cues
    // directly, none otherwise); noSend: record only. A channel outside the tables is
    // refused with -1 and nothing else happens.
    virtual int Fire(int module, int channel, bool noSend, bool manual);
    // The operator's shot by key while the show runs: fired at once, or, on a high-voltage
    // module, charged and fired by the tick once charged; charged only once no show shot of
    // the module is due before it fires. Shots keep the order of the
    // keys; a stop drops the ones still waiting, and done(false) tells each, as it does a
    // shot asked for while the show is stopped.
    void FireByHand(int module, int channel, THandShots::TDone done);
    bool HandShotsWaiting() const { return keyShots_.Waiting(); }
    // High-voltage modules that a show from `from` would fire with another shot's charge: in
    // autonomous control they fire from memory, which holds none. Empty otherwise.
    std::vector<int> ChargesUntold(int32_t from) const;
    // The operator's lockout of a position of the current scenario. Refused (false) in
    // autonomous control, where the modules fire from their own memory, and for a position
    // the scenario does not name.
    bool LockPosition(const std::string& position, bool locked);
    bool PositionLocked(const std::string& position) const;
    std::vector<std::string> LockedPositions() const;
    // A cue of a locked position fires the channel: no shot by key may.
    bool ChannelLockedOut(int module, int channel) const;
    // One judgement for the hand-over ahead, the show's own turn and the step key.
    TCueVerdict Judge(int32_t index) const;
    // The step key's cue of a locked position is passed over, logged and recorded; true
    // when it was one.
    bool PassLockedCue(int32_t index);
    // The step key's shot of that cue refused, its channel locked out: recorded so.
    void PassLockedShot(int32_t index);
    // Running or ending.
    bool IsRunning() const { return state_ != TPlayerState::Stopped; }
    // The clock; the start point while stopped.
    int32_t CurrentTime() const { return currentTime_; }
    // The first cue not yet handled.
    int32_t NextCue() const { return nextCue_; }
    // The next start's point: the clock's time and the first cue it handles. True when a
    // start from there goes on after the cues the last show handled (left where it stopped,
    // or on the time of the first cue it had not handled): it fires none of them again.
    // Refused (false, nothing changed) while a show runs: the clock and the cue are its own.
    bool SetStartPoint(int32_t time, int32_t cue);
    // A standby station goes on with the show another station ran and fell silent in: the
    // clock at time, cue the first this one handles, the cues heard fired by the other never
    // fired; one due before time and not heard goes at once. Refused (false) while a show
    // runs, in manual firing and without a scenario.
    bool TakeOver(int32_t time, int32_t cue, const std::vector<int32_t>& firedElsewhere);
    // A show this station followed as a standby ended without it: what it heard is its
    // firing report of that show, written and shown as a show's own. Not while one runs.
    void CloseFollowedReport(const TFiringReport& heard);
    // A standby goes on with the show this station gave up: its time to the modules is no
    // start from elsewhere, and its shots go into this station's report. Until a stop or a
    // start of this station.
    bool GaveShowUp() const { return standby_.GivenUp(); }
    // The step key took the cues before end by hand: the next step begins there.
    void StepPast(int32_t end) { nextCue_ = end; }
    // The first cue at or after time.
    int32_t FirstCueFrom(int32_t time) const;
    TPlayerState State() const { return state_; }
    // The show clock at that tick, for what follows it from elsewhere (the timecode sent);
    // while stopped, the start point, standing.
    TShowClockLook ClockLook(uint32_t now) const;
    // A running clock goes on from its present value at the new rate.
    void SetTempo(int32_t value);
    int32_t Tempo() const { return clock_.Tempo(); }
    // The offset key: a running autonomous show tells the modules at once.
    void SetOffset(int32_t value);
    int32_t Offset() const { return clock_.Offset(); }

    TBassPlayer& Soundtrack() { return soundtrack_; }
    // The cues of the last show; written beside the run log when the show stops.
    const TFiringReport& FiringReport() const { return report_; }
    const TChargePlan& Charges() const { return charges_; }
    const std::string& FiringReportPath() const { return reportFile_.Path(); }

    // Refused (false, nothing changed) while a show runs or ends: it plays to its end as it
    // began. The rehearsal flag also follows EnterModelBus and LeaveModelBus.
    [[nodiscard]] bool Configure(const TShowSetup& setup);
    TShowSetup Setup() const { return {scenario, controlMode, firingMode, maxLateMs, rehearsal}; }

    int32_t timeReportInterval = 100;
    int32_t idleInterval = 1000;
    int32_t timeBroadcastInterval = 1000;
    // The console put a model of the field on the bus, or the real field back. A rehearsal
    // begins where the real show stands; the real bus then goes on from where its own last
    // show left it, start point and handled cues, whatever the model fired. simulated: the
    // real field is a simulated one, whose shows are rehearsals too.
    void EnterModelBus();
    void LeaveModelBus(bool simulated);

    // The console's launch state (a TLaunchState) for the status answer.
    std::function<int()> LaunchState;
    std::function<void(int32_t time)> OnTime;
    std::function<void()> OnStateChange;
    std::function<void()> OnRemoteStop;
    std::function<void()> OnIdle;

protected:
    // joinSoundtrack: the soundtrack plays already and the show joins it where it is, so it
    // is not repositioned and no start notice goes out.
    void BeginShow(int32_t from, bool joinSoundtrack);
    // broadcastStop false: a stop heard from the bus that no module of this show still plays
    // from memory; passed on, two stations would stop each other without end.
    virtual void Halt(bool stopSoundtrack, bool broadcastStop);
    std::span<const TCue> Cues() const;
    uint32_t LastFireTick() const { return lastFireTick_; }
    // The scenario cue of the last Fire (-1: none).
    int32_t FiredCue() const { return firedCue_; }
    // Once more beside the run log, when checks came in after the stop.
    void SaveFiringReport();
    // A start form heard from the bus that is this station's own time, come back late from
    // a converter.
    bool OwnTimeFrame(const TFrameRecord& message) const;
    // After every shot the show or the operator fired, sent or not (result), to record it.
    virtual void Fired(int module, int channel, bool manual, bool noSend, int result);
    // The station answered a start form with the stop form, which stops the modules' clocks:
    // started again at or before a cue they fired, they would fire it twice.
    void ModulesStopped();

    TControls& controls_;
    TPortProto& port_;
    TFiringReport report_;

private:
    // The setup's fields, under the names the player's code has always read them by.
    const TProjectList* scenario = nullptr;
    uint8_t controlMode = kControlDirect;
    uint8_t firingMode = kFiringAutomatic;
    int32_t maxLateMs = kDefaultMaxLateMs;
    bool rehearsal = false;

    // The ways of running and the key's shots work on the show's cue cursor, clock and report.
    friend class TDirectRun;
    friend class TAutonomousRun;
    friend class TKeyShots;

    void UpdateClock(uint32_t now);
    // The cues a jump of the timecode passed over up to to are missed, not fired in a burst;
    // the modules' clocks stand while they are passed over.
    void PassOverJump(int32_t to, uint32_t now);
    // Each cue up to to is missed, the charges of the later ones kept in line.
    void PassCuesUpTo(int32_t to);
    int32_t ClockAt(uint32_t tick) const { return clock_.At(tick); }
    // The first cue the show from from handles, the charges and motors lined up with the
    // shots to come, and its report begun (a running show's closed first).
    void PlaceStart(int32_t from, bool joinSoundtrack);
    // joinSoundtrack: the music plays on and the clock joins it.
    void BeginMusic(int32_t from, bool joinSoundtrack);
    // A start point below 0 holds the soundtrack back until the clock reaches 0.
    void StartPendingSoundtrack();
    // Plays from position (ms) and sets the clock on the moment the music is heard.
    void PlaySoundtrackFrom(int32_t position);
    // A shot handed over ahead left the port (result): recorded.
    void ShotSent(int32_t index, int result, uint32_t sentTick);
    // The show's own end: Ending until the pause is over.
    void EndShow();
    // The show part of a tick; false when it stopped the show.
    bool RunShow(uint32_t now);
    // Nothing fires or is told but in Running, nor while asking a standby after a hold-up.
    bool Firing() const { return state_ == TPlayerState::Running && !standby_.Listening(); }
    void LeaveRunning();
    // After the bus was told of a stop, or not: the show's end on this station.
    void WindUp(bool wasRunning);
    // The standby runs the show now: this station sends nothing more, no stop either.
    void GiveUp();
    // noSend: autonomous control, where motor cues are passed over. late: later than
    // maxLateMs past its moment, passed over.
    void HandleCue(int32_t index, bool noSend, bool late = false);
    // A cue the show passes over keeps the high-voltage charges of the later ones in line.
    void PassShotCharge(int32_t index);
    // Too late when its turn came, or when the port could send it: not sent, so logged.
    void ReportTooLate(int32_t index);
    // The motor modules with a motor cue from passedFrom up to the next cue are turned to
    // where the show has them now, before any of their shots.
    void RestoreMotors(int32_t passedFrom);
    // A module that can take the cue's command is registered at its address.
    bool CueModulePresent(const TCue& cue) const;
    int SendCue(const TCue& cue, uint32_t& sentTick);
    int SendFire(int module, int channel, bool manual);
    bool IdleAllowed() const;
    void RaiseStateChange();
    // Whatever was not reached is stopped before; written beside the run log.
    void CloseFiringReport();

    int32_t currentTime_ = 0;
    int32_t nextCue_ = 0;
    TResumePoint resume_;
    TPlayerState state_ = TPlayerState::Stopped;
    uint32_t endingSince_ = 0;
    bool busy_ = false;
    uint32_t beganTick_ = 0;  // of the show's start
    uint32_t lastTimeReport_ = 0;
    uint32_t lastIdleWork_ = 0;
    uint32_t lastSync_ = 0;
    static constexpr int32_t kSyncIntervalMs = 1000;
    uint32_t lastFireTick_ = 0;
    int32_t firingCue_ = -1;  // the show's own cue while it fires one
    int32_t firedCue_ = -1;
    int32_t showNumber_ = 0;
    TShowReportFile reportFile_;
    TChargePlan charges_;
    TPositionLockout lockout_;
    TKeyShots keyShots_{*this};
    TStopBroadcast stops_{port_};
    TStandbyWatch standby_{port_};
    TShowRealTime realTime_;
    TBassPlayer soundtrack_;
    TShowClock clock_{soundtrack_, [this](int32_t to, uint32_t now) { PassOverJump(to, now); }};
    TAutonomousRun autonomous_{*this};
    // Last, so that they go first and no tick reaches a half-destroyed player.
    TDirectRun direct_{*this};  // its cue timer
    TShowRun* run_ = &direct_;
    std::unique_ptr<TTimer> timer_;
};

}  // namespace kv
