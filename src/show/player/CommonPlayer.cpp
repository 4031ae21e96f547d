#include "show/player/CommonPlayer.h"

#include "devices/kinds/ChannelIndex.h"
#include "devices/registry/Controls.h"
#include "devices/kinds/HVControl.h"
#include "devices/kinds/MotorControl.h"
#include "devices/memory/ScenarioChecks.h"
#include "link/PortProto.h"
#include "link/Result.h"
#include "show/player/bus/BusFailureLog.h"
#include "show/player/shots/MotorCue.h"
#include "show/scenario/ProjectList.h"
#include "show/timecode/TimecodeChase.h"
#include "support/lang/AddedMessages.h"
#include "support/platform/Platform.h"
#include "support/log/RunLog.h"

#include <algorithm>
#include <utility>

namespace kv {

bool IsFirableChannel(int module, int channel)
{
    return module >= 0 && module <= kMaxModuleAddress && ValidChannel(channel);
}

std::string ShotText(int module, int channel)
{
    return std::to_string(module) + Localize(93, ", канал:") + " " + std::to_string(channel + 1);
}

TCommonPlayer::TCommonPlayer(TControls& controls, TPortProto& port)
    : controls_(controls),
      port_(port),
      charges_(controls),
      realTime_(port),
      timer_(Platform().CreateTimer([this] { Tick(); }))
{
    timer_->SetInterval(kTimerPeriodMs);
    realTime_.AddClockSource([this] { return soundtrack_.FeedingThread(); });
    realTime_.AddClockSource([this] { return Chased() ? clock_.Chase()->CaptureThread() : 0; });
}

TCommonPlayer::~TCommonPlayer() = default;

TShowClockLook TCommonPlayer::ClockLook(uint32_t now) const
{
    if (!IsRunning())
        return {currentTime_, now, 0, false};
    return clock_.Look(now);
}

std::span<const TCue> TCommonPlayer::Cues() const
{
    return scenario ? scenario->Cues() : std::span<const TCue>();
}

std::vector<int> TCommonPlayer::ChargesUntold(int32_t from) const
{
    if (controlMode != kControlAutonomous || firingMode == kFiringManual)
        return {};
    return HighVoltageChargesInTurn(controls_, TCueView(Cues()), from);
}

void TCommonPlayer::Start(int32_t from)
{
    clock_.StopChase();
    BeginShow(from, false);
}

void TCommonPlayer::StartChased(int32_t from, TTimecodeChase& chase)
{
    clock_.Follow(chase);
    chase.Follow(from - Offset(), Platform().TickCount());
    BeginShow(from, false);
}

void TCommonPlayer::BeginShow(int32_t from, bool joinSoundtrack)
{
    // The show has fired its last cue: a start now would fire again what it just fired.
    if (state_ == TPlayerState::Ending)
        return;
    // Before the clock is read: the time the requests take delays no cue against it.
    realTime_.Begin();
    // A restart: the show that runs hands nothing more to the modules.
    run_->Cut();
    stops_.Forget();
    PlaceStart(from, joinSoundtrack);
    reportFile_.Forget();
    ++showNumber_;
    const uint32_t now = Platform().TickCount();
    beganTick_ = lastIdleWork_ = lastTimeReport_ = now;
    standby_.Begin(now);
    currentTime_ = from;
    clock_.Begin(from, now);
    BeginMusic(from, joinSoundtrack);
    state_ = TPlayerState::Running;
    timer_->SetEnabled(true);
    // A restart: the modules' clocks stand first, so that the new start plays from its time.
    if (autonomous_.ClocksRunning()) {
        stops_.SendBeforeStart(currentTime_);
        autonomous_.ClocksStopped(now, false);
    }
    // Chosen at each start: the setup stands while the show runs.
    run_ = controlMode == kControlAutonomous ? static_cast<TShowRun*>(&autonomous_) : &direct_;
    run_->Begin(now);
    if (!joinSoundtrack)
        LogFailure(port_.SendStartNotice(from), kMsgStartNoticeNotSent, from);
    run_->Launch(now);
    lastSync_ = now;
    SyncLog();
    RaiseStateChange();
}

void TCommonPlayer::PlaceStart(int32_t from, bool joinSoundtrack)
{
    const std::span<const TCue> cues = Cues();
    const int32_t firstAtFrom = FirstCueFrom(from);
    // The start point left where the show stopped, or put on the time of the first cue it had
    // not handled (Enter on the cue the list shows next, or on a later one of a salvo the stop
    // cut): going on from there, on a start by key or from the bus, or joining the music that
    // played on, the show fires nothing the stopped one fired. Music that plays on is the
    // stopped show's: the console stops it when the operator chooses a start point.
    const auto size = static_cast<int32_t>(cues.size());
    const bool resumed = firingMode != kFiringManual && resume_.SameShow(scenario, rehearsal) &&
                         (joinSoundtrack || resume_.LeftOff(cues, {currentTime_, nextCue_}));
    // From that start point a direct show also sends the shots the stop took back, late: the
    // port sent none of them. The modules' clocks, the music that played on and another
    // master's start go on from their own time.
    const bool takenBackToo =
        resumed && !joinSoundtrack && from == currentTime_ && controlMode == kControlDirect;
    // Enter on a cue of a salvo starts from that cue, not from the salvo's first; so does
    // another master's start in the tenth that holds it, the bus's time being in tenths.
    const bool onChosenCue = from <= currentTime_ && currentTime_ - from < 100 &&
                             nextCue_ > firstAtFrom && nextCue_ < size &&
                             cues[static_cast<size_t>(nextCue_)].time == currentTime_;
    if (firingMode != kFiringManual)
        nextCue_ = resumed       ? std::clamp(resume_.Cue(), takenBackToo ? 0 : firstAtFrom, size)
                  : onChosenCue ? nextCue_
                                : firstAtFrom;
    const std::vector<TCueRecord> stopped = resumed ? report_.Records() : std::vector<TCueRecord>();
    // The charges line up with the shots still to come, those taken back among them, not with
    // cues a resume passes over nor with those its operator fired by hand.
    const size_t first = firingMode != kFiringManual ? static_cast<size_t>(nextCue_) : 0;
    charges_.Prepare(cues, first, takenBackToo ? INT32_MIN : from,
                     [&](size_t cue) { return cue < stopped.size() && stopped[cue].byHand; });
    RestoreMotors(0);
    // A restart cuts the show that runs: its report is kept as it stands.
    if (IsRunning())
        CloseFiringReport();
    report_.Begin(cues, from, port_.LossCount());
    // Fired by the show this one resumes.
    for (int32_t cue = firstAtFrom; firingMode != kFiringManual && cue < nextCue_; ++cue)
        report_.Missed(cue, TMissReason::BeforeStart);
    // Cues still to come that its operator fired by hand.
    report_.KeepShotsByHand(stopped, nextCue_);
}

int32_t TCommonPlayer::FirstCueFrom(int32_t time) const
{
    const std::span<const TCue> cues = Cues();
    return static_cast<int32_t>(
        std::find_if(cues.begin(), cues.end(), [time](const TCue& cue) { return cue.time >= time; }) -
        cues.begin());
}

bool TCommonPlayer::SetStartPoint(int32_t time, int32_t cue)
{
    if (IsRunning())
        return false;
    currentTime_ = time;
    nextCue_ = cue;
    return firingMode != kFiringManual && resume_.SameShow(scenario, rehearsal) &&
           resume_.LeftOff(Cues(), {time, cue});
}

bool TCommonPlayer::Configure(const TShowSetup& setup)
{
    if (IsRunning())
        return false;
    scenario = setup.scenario;
    controlMode = setup.controlMode;
    firingMode = setup.firingMode;
    maxLateMs = setup.maxLateMs;
    rehearsal = setup.rehearsal;
    return true;
}

bool TCommonPlayer::TakeOver(int32_t time, int32_t cue, const std::vector<int32_t>& firedElsewhere)
{
    if (IsRunning() || firingMode == kFiringManual || !scenario)
        return false;
    // As if a show of this station's own had stopped there: the start goes on after it, the
    // cues fired elsewhere kept as shots by hand are.
    report_.Begin(Cues(), time, port_.LossCount());
    for (const int32_t fired : firedElsewhere)
        report_.FiredElsewhere(fired);
    resume_.Stopped(scenario, rehearsal, {time, cue});
    currentTime_ = time;
    nextCue_ = cue;
    standby_.Forget();
    Start(time);
    // The report tells the cues before the first one too.
    for (int32_t before = 0; before < cue; ++before)
        report_.Missed(before, TMissReason::BeforeStart);
    for (const int32_t fired : firedElsewhere)
        report_.FiredElsewhere(fired);
    return IsRunning();
}

void TCommonPlayer::CloseFollowedReport(const TFiringReport& heard)
{
    if (IsRunning())
        return;
    report_ = heard;
    ++showNumber_;
    CloseFiringReport();
}

void TCommonPlayer::Halt(bool stopSoundtrack, bool broadcastStop)
{
    const bool wasRunning = IsRunning();
    const bool ended = state_ == TPlayerState::Ending;
    const int32_t memoryLeft = run_->Halt(wasRunning);
    LeaveRunning();
    if (broadcastStop)
        stops_.Send(currentTime_, memoryLeft, wasRunning);
    LogFailure(port_.SendStopNotice(currentTime_), kMsgStopNoticeNotSent, currentTime_);
    if (stopSoundtrack && soundtrack_.Loaded() && soundtrack_.IsPlaying())
        soundtrack_.StopPlaying();
    for (int i = 0; i < controls_.Count(); ++i)
        if (auto* module = dynamic_cast<THVControl*>(controls_.DeviceAt(i)))
            LogFailure(module->HighVoltageOff(), kMsgHighVoltageNotOff, module->address);
    WindUp(wasRunning);
    if (ended && !Cues().empty()) {
        currentTime_ = Cues().back().time;
        resume_.MoveTo(currentTime_);
    }
}

void TCommonPlayer::GiveUp()
{
    // Its high voltage, its modules' clocks and its stop are the standby's now.
    run_->Halt(true);
    LeaveRunning();
    standby_.GiveUp();
    WriteLog(Localize(kMsgGaveShowToStandby) + " " + std::to_string(standby_.StandbyId()));
    WindUp(true);
}

void TCommonPlayer::LeaveRunning()
{
    timer_->SetEnabled(false);
    state_ = TPlayerState::Stopped;
    clock_.DropPendingMusic();
}

void TCommonPlayer::WindUp(bool wasRunning)
{
    keyShots_.Drop();
    clock_.StopChase();
    if (wasRunning) {
        CloseFiringReport();
        resume_.Stopped(scenario, rehearsal, {currentTime_, nextCue_});
    }
    realTime_.End();
    RaiseStateChange();
}

void TCommonPlayer::EnterModelBus()
{
    resume_.EnterModel(scenario, {currentTime_, nextCue_});
    rehearsal = true;
}

void TCommonPlayer::LeaveModelBus(bool simulated)
{
    if (const auto start = resume_.LeaveModel(scenario)) {
        currentTime_ = start->time;
        nextCue_ = start->cue;
    }
    rehearsal = simulated;
}

void TCommonPlayer::ConverterBack()
{
    // An ending show's stop goes out at its end.
    if (IsRunning()) {
        if (Firing())
            run_->ConverterBack();
        return;
    }
    if (!stops_.Owed())
        return;
    stops_.SendOwed();
    WriteLog(Localize(kMsgStopSentAgain));
}

void TCommonPlayer::CloseFiringReport()
{
    report_.End();
    reportFile_.Close(report_, showNumber_, rehearsal);
    SyncLog();
}

void TCommonPlayer::SaveFiringReport()
{
    reportFile_.Save(report_);
}

void TCommonPlayer::RaiseStateChange()
{
    if (OnStateChange)
        OnStateChange();
}

void TCommonPlayer::SetTempo(int32_t value)
{
    clock_.SetTempo(value, Platform().TickCount(), IsRunning());
    run_->Replan();
}

void TCommonPlayer::SetOffset(int32_t value)
{
    if (value < Offset())
        run_->BeforeOffsetBack(value - Offset());
    clock_.SetOffset(value);
    run_->Replan();
}

void TCommonPlayer::UpdateClock(uint32_t now)
{
    if (state_ == TPlayerState::Running)
        standby_.Looked(now);
    // A sound server that stops answering leaves the show on its own clock; logged once.
    if (clock_.Update(now) == TShowClock::TEvent::Stalled)
        WriteLog(Localize(kMsgSoundtrackStalled));
    const int32_t reading = clock_.Reading();
    currentTime_ = controlMode == kControlAutonomous ? std::max(reading, 0) : reading;
}

void TCommonPlayer::PassOverJump(int32_t to, uint32_t now)
{
    if (firingMode != kFiringManual)
        run_->Jumped(to, now);
}

void TCommonPlayer::PassCuesUpTo(int32_t to)
{
    const std::span<const TCue> cues = Cues();
    while (nextCue_ >= 0 && static_cast<size_t>(nextCue_) < cues.size() &&
           cues[static_cast<size_t>(nextCue_)].time <= to) {
        PassShotCharge(nextCue_);
        report_.Missed(nextCue_++, TMissReason::TimecodeJump);
    }
}

void TCommonPlayer::Tick()
{
    if (busy_)
        return;
    busy_ = true;
    const uint32_t now = Platform().TickCount();
    bool report = true;
    if (state_ == TPlayerState::Ending) {
        report = IntervalPassed(endingSince_, now, kEndPauseMs);
        if (report)
            Stop(false);
        else
            run_->RunEnding(now);
    } else {
        report = RunShow(now);
    }
    if (report && OnTime &&
        (IntervalPassed(lastTimeReport_, Platform().TickCount(), timeReportInterval) || !IsRunning())) {
        lastTimeReport_ = Platform().TickCount();
        OnTime(currentTime_);
    }
    if (report && OnIdle && IntervalPassed(lastIdleWork_, Platform().TickCount(), idleInterval) &&
        IdleAllowed()) {
        IdleWork();
        OnIdle();
        lastIdleWork_ = Platform().TickCount();
    }
    busy_ = false;
}

bool TCommonPlayer::RunShow(uint32_t now)
{
    UpdateClock(now);
    if (clock_.Lost()) {
        WriteLog(Localize(kMsgTimecodeStopped));
        Stop(true);
        return false;
    }
    StartPendingSoundtrack();
    standby_.TimeOut(now);
    if (firingMode != kFiringManual && !standby_.Listening())
        run_->Run(now);
    if (Firing())
        keyShots_.Run();
    // The record of a show reaches the disk every second: a power cut loses a second at most.
    if (IsRunning() && IntervalPassed(lastSync_, now, kSyncIntervalMs)) {
        lastSync_ = now;
        SyncLog();
    }
    return true;
}

TCueVerdict TCommonPlayer::Judge(int32_t index) const
{
    const TCue& cue = Cues()[static_cast<size_t>(index)];
    // The operator fired it by hand already; its charge left the sequence then.
    if (report_.TakenByHand(index))
        return TCueVerdict::TakenByHand;
    // Where the modules fire from their memory (autonomous control) no lockout is taken; the
    // station's own shots by step key keep it.
    const bool stationFires = controlMode == kControlDirect || firingMode == kFiringManual;
    if (stationFires && lockout_.Locked(scenario, cue.position))
        return TCueVerdict::LockedOut;
    if (!cue.IsExecutable())
        return TCueVerdict::OutsideTables;
    if (!CueModulePresent(cue))
        return TCueVerdict::ModuleAbsent;
    return cue.IsMotor() ? TCueVerdict::Motor : TCueVerdict::Fire;
}

void TCommonPlayer::ShotSent(int32_t index, int result, uint32_t sentTick)
{
    const TCue& cue = Cues()[static_cast<size_t>(index)];
    firingCue_ = index;
    Fired(cue.module, cue.channel, false, false, result);
    report_.Sent(index, result, ClockAt(sentTick), port_.LossCount());
    firingCue_ = -1;
}

void TCommonPlayer::EndShow()
{
    if (!Firing())
        return;
    state_ = TPlayerState::Ending;
    endingSince_ = Platform().TickCount();
}

void TCommonPlayer::HandleCue(int32_t index, bool noSend, bool late)
{
    const TCue& cue = Cues()[static_cast<size_t>(index)];
    const TCueVerdict verdict = Judge(index);
    if (verdict == TCueVerdict::TakenByHand)
        return;
    if (verdict == TCueVerdict::LockedOut) {
        PassLockedCue(index);
        PassShotCharge(index);
        return;
    }
    if (verdict == TCueVerdict::OutsideTables) {
        WriteLog(Localize(kMsgSkippedCue) + " " + ShotText(cue.module, cue.channel));
        report_.Missed(index, TMissReason::OutsideTables);
        return;
    }
    firingCue_ = index;
    if (noSend) {
        if (!cue.IsMotor())
            Fire(cue.module, cue.channel, true, false);
        // A module the search did not find was never written, verified or told the time.
        if (verdict != TCueVerdict::ModuleAbsent)
            report_.Recorded(index);
        else
            report_.Missed(index, TMissReason::ModuleAbsent);
    } else if (verdict == TCueVerdict::ModuleAbsent) {
        // Still recorded and logged as a shot: the log shows what the show asked for.
        if (!cue.IsMotor())
            Fire(cue.module, cue.channel, false, false);
        report_.Missed(index, TMissReason::ModuleAbsent);
    } else if (port_.DownAt(clock_.ReachedTick(cue.time))) {
        // Due while the converter was lost: sent now, it would go late, in a burst with the
        // others due meanwhile. It fails as a send to the lost converter did.
        if (!cue.IsMotor())
            Fired(cue.module, cue.channel, false, false, kLinkNotConnected);
        report_.Missed(index, TMissReason::ConverterLost);
        // Told now if the converter is back already, else once it is.
        PassShotCharge(index);
    } else if (late) {
        // Sent now, it would go in a burst with the others due while the show was held up.
        ReportTooLate(index);
        PassShotCharge(index);
        // The launcher still goes where the show has it, before the module's next shot.
        RestoreMotors(index);
    } else {
        uint32_t sentTick = 0;
        const int result = SendCue(cue, sentTick);
        report_.Sent(index, result, ClockAt(sentTick), port_.LossCount());
    }
    firingCue_ = -1;
}

void TCommonPlayer::ReportTooLate(int32_t index)
{
    const TCue& cue = Cues()[static_cast<size_t>(index)];
    WriteLog(Localize(kMsgLateCuePassed) + " " +
             (cue.IsMotor() ? std::to_string(cue.module) : ShotText(cue.module, cue.channel)));
    report_.Missed(index, TMissReason::TooLate);
}

void TCommonPlayer::PassShotCharge(int32_t index)
{
    if (!charges_.PassOver(index))
        return;
    // The module still holds the passed cue's charge. The module's shots before it have left
    // the port. A key's charged shot carries the sequence's next charge itself.
    const int module = charges_.ModuleOf(index);
    if (controlMode == kControlDirect && !keyShots_.Charged(module))
        charges_.Announce(module);
}

void TCommonPlayer::RestoreMotors(int32_t passedFrom)
{
    // In autonomous control the modules play their own memory.
    if (controlMode != kControlDirect || firingMode == kFiringManual)
        return;
    const std::span<const TCue> cues = Cues();
    const std::span<const TCue> passed =
        cues.first(static_cast<size_t>(std::clamp(nextCue_, 0, static_cast<int32_t>(cues.size()))));
    std::vector<int> modules;
    for (auto index = static_cast<size_t>(std::max(passedFrom, 0)); index < passed.size(); ++index)
        if (passed[index].IsMotor() &&
            std::find(modules.begin(), modules.end(), passed[index].module) == modules.end())
            modules.push_back(passed[index].module);
    // A locked position's motor cue is passed over at its moment too.
    for (const int module : modules)
        RestoreMotorPosition(controls_, passed, module, [this](const TCue& cue) {
            return !lockout_.Locked(scenario, cue.position);
        });
}

bool TCommonPlayer::CueModulePresent(const TCue& cue) const
{
    TCommonDevice* device = controls_.FindByAddress(cue.module);
    return cue.IsMotor() ? dynamic_cast<TMotorControl*>(device) != nullptr
                         : dynamic_cast<TCommonControl*>(device) != nullptr;
}

// sentTick: when the command's first echo came back.
int TCommonPlayer::SendCue(const TCue& cue, uint32_t& sentTick)
{
    port_.MarkEchoes();
    const int result =
        cue.IsMotor() ? RunMotorCue(controls_, cue) : Fire(cue.module, cue.channel, false, false);
    const bool echoed = port_.FirstEchoSinceMark(sentTick);
    if (!echoed)
        sentTick = Platform().TickCount();
    // A fire command repeated for the module is on the line once one sending came back.
    return echoed && !cue.IsMotor() ? 0 : result;
}

bool TCommonPlayer::IdleAllowed() const
{
    if (firingMode == kFiringManual)
        return true;
    const std::span<const TCue> cues = Cues();
    if (nextCue_ < 0 || static_cast<size_t>(nextCue_) >= cues.size())
        return false;
    return static_cast<int64_t>(cues[static_cast<size_t>(nextCue_)].time) - currentTime_ >
           idleInterval;
}

int TCommonPlayer::Fire(int module, int channel, bool noSend, bool manual)
{
    if (!IsFirableChannel(module, channel))
        return kResultBadChannel;
    const int result = noSend ? 0 : SendFire(module, channel, manual);
    Fired(module, channel, manual, noSend, result);
    return result;
}

void TCommonPlayer::Fired(int module, int channel, bool manual, bool noSend, int result)
{
    lastFireTick_ = Platform().TickCount();
    firedCue_ = firingCue_;
    if (manual && !noSend && IsRunning()) {
        const bool present = dynamic_cast<TCommonControl*>(controls_.FindByAddress(module));
        firedCue_ = report_.FiredByHand(module, channel, present, result, ClockAt(lastFireTick_),
                                        port_.LossCount());
    }
    if (!manual)
        WriteLog(Localize(92, "Запуск, пульт:") + " " + ShotText(module, channel));
}

void TCommonPlayer::FireByHand(int module, int channel, THandShots::TDone done)
{
    keyShots_.Add(module, channel, std::move(done));
}

int TCommonPlayer::SendFire(int module, int channel, bool manual)
{
    TCommonDevice* device = controls_.FindByAddress(module);
    if (auto* highVoltage = dynamic_cast<THVControl*>(device))
        return highVoltage->FireWithCharge(channel, manual ? keyShots_.ChargeToFollow(*highVoltage, channel)
                                                          : charges_.ShotCharge(module, firingCue_));
    if (auto* control = dynamic_cast<TCommonControl*>(device))
        return control->FireChannel(channel);
    return 0;
}

}  // namespace kv
