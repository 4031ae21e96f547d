#include "show/player/run/DirectRun.h"

#include "devices/kinds/HVControl.h"
#include "devices/registry/Controls.h"
#include "link/PortProto.h"
#include "show/player/CommonPlayer.h"
#include "show/scenario/ProjectList.h"
#include "support/platform/Platform.h"

#include <algorithm>

namespace kv {

namespace {

constexpr int32_t kTimecodeRecheckMs = 2;

}  // namespace

TDirectRun::TDirectRun(TCommonPlayer& show)
    : show_(show), cueTimer_(Platform().CreateTimer([this] { CueMoment(); }))
{
}

TDirectRun::~TDirectRun() = default;

void TDirectRun::Cut()
{
    TakeBackShots();
    cueTimer_->SetEnabled(false);
}

void TDirectRun::Launch(uint32_t now)
{
    // The shots due before the first tick leave at their moment too.
    if (show_.firingMode != kFiringManual)
        HandOverDue(now, false);
    ArmCueTimer();
}

void TDirectRun::Run(uint32_t now)
{
    FireDueCues(now);
    // The show ends half a second after its last shot, not after its hand-over.
    if (show_.Firing() && static_cast<size_t>(std::max(show_.nextCue_, 0)) >= show_.Cues().size() &&
        handedOver_.empty()) {
        show_.EndShow();
        cueTimer_->SetEnabled(false);
    }
}

int32_t TDirectRun::Halt(bool)
{
    // Nothing handed over leaves after this; a resume fires what was not sent.
    Cut();
    return -1;
}

void TDirectRun::Jumped(int32_t to, uint32_t)
{
    const int32_t passedFrom = show_.nextCue_;
    show_.PassCuesUpTo(to);
    show_.RestoreMotors(passedFrom);
}

void TDirectRun::Replan()
{
    if (!show_.Firing() || show_.busy_ || show_.firingMode == kFiringManual)
        return;
    // Handed over on the old clock, a shot would leave early or late on the new one; on the
    // new one some may be due at once.
    TakeBackShots();
    show_.busy_ = true;
    const uint32_t now = Platform().TickCount();
    show_.UpdateClock(now);
    HandOverDue(now, false);
    ArmCueTimer();
    show_.busy_ = false;
}

void TDirectRun::ConverterBack()
{
    if (show_.busy_ || show_.firingMode == kFiringManual)
        return;
    // A show shot lost with the converter never told its module the next shot's charge: the
    // module holds the lost shot's. The shots handed over carry charges past the cursor.
    TakeBackShots();
    for (const int module : show_.charges_.Modules())
        if (!show_.keyShots_.Charged(module))
            show_.charges_.Announce(module);
    // Handed over again as on a tick: one due while the converter was lost is missed, not
    // sent late.
    CueMoment();
}

bool TDirectRun::CarriesCharge(int module) const
{
    return std::any_of(handedOver_.begin(), handedOver_.end(),
                       [module](const THandedOver& shot) { return shot.charged == module; });
}

bool TDirectRun::Holds(int module, int channel) const
{
    const std::span<const TCue> cues = show_.Cues();
    return std::any_of(handedOver_.begin(), handedOver_.end(), [&](const THandedOver& shot) {
        const TCue& cue = cues[static_cast<size_t>(shot.cue)];
        return cue.module == module && (cue.channel == channel || shot.charged == module);
    });
}

void TDirectRun::ShotBefore(const std::function<void()>& fire)
{
    TakeBackShots();
    fire();
    HandOverDue(Platform().TickCount(), false);
    ArmCueTimer();
}

bool TDirectRun::CueDue(int32_t index) const
{
    const std::span<const TCue> cues = show_.Cues();
    return index >= 0 && static_cast<size_t>(index) < cues.size() &&
           cues[static_cast<size_t>(index)].time <= show_.clock_.Reading();
}

bool TDirectRun::TooLate(int32_t index, uint32_t now) const
{
    if (show_.maxLateMs <= 0)
        return false;
    const uint32_t reached = show_.clock_.ReachedTick(show_.Cues()[static_cast<size_t>(index)].time);
    const uint32_t since =
        static_cast<int32_t>(reached - show_.beganTick_) < 0 ? show_.beganTick_ : reached;
    return static_cast<int32_t>(now - since) > show_.maxLateMs;
}

void TDirectRun::FireDueCues(uint32_t now)
{
    CollectShots();
    HandOverDue(now, true);
    CollectShots();
    ArmCueTimer();
}

bool TDirectRun::TimesCues() const
{
    // Before the music's start point the clock jumps back when the music starts.
    return show_.Firing() && show_.firingMode != kFiringManual && show_.Tempo() > 0 &&
           show_.clock_.Source() != TClockSource::MusicPending;
}

void TDirectRun::ArmCueTimer()
{
    cueTimer_->SetEnabled(false);
    const std::span<const TCue> cues = show_.Cues();
    const int32_t next = show_.nextCue_;
    if (!TimesCues() || next < 0 || static_cast<size_t>(next) >= cues.size())
        return;
    // Shots sent on this thread since the clock was read took their time on the line.
    const uint32_t now = Platform().TickCount();
    auto wait = static_cast<int32_t>(show_.clock_.DueTick(cues[static_cast<size_t>(next)].time, now) - now);
    // The timecode's clock moves only as the capture brings the signal, or stands after a jump
    // back: the cue is looked for from when the signal could bring it, then every few ms.
    if (show_.Chased())
        wait = std::max(wait - show_.clock_.TimecodeAhead(), std::min(wait, kTimecodeRecheckMs));
    if (wait > kLookAheadMs)
        return;
    cueTimer_->SetInterval(static_cast<uint32_t>(std::max(wait, 1)));
    cueTimer_->SetEnabled(true);
}

void TDirectRun::CueMoment()
{
    cueTimer_->SetEnabled(false);
    // A tick under way handles the cue itself and arms the timer again.
    if (show_.busy_ || !TimesCues())
        return;
    show_.busy_ = true;
    // The clock read afresh: followed, the music or the timecode may have stood still since
    // the last reading, and the cue then waits for it.
    const uint32_t now = Platform().TickCount();
    show_.UpdateClock(now);
    // The end of the show is left to the tick, which reports the time it ends at.
    FireDueCues(now);
    show_.busy_ = false;
}

void TDirectRun::HandOverDue(uint32_t now, bool onTick)
{
    // The heard music, or the desk's timecode, may stand still at any moment: a shot handed
    // over on its pace would then leave before its moment. Followed, it fires once a reading
    // of the clock reaches its moment.
    const bool lookAhead = show_.clock_.Predictable();
    int32_t& next = show_.nextCue_;
    // A stop from an event handler ends the tick's firing at once.
    while (show_.Firing() && next >= 0 && static_cast<size_t>(next) < show_.Cues().size()) {
        const bool due = CueDue(next);
        const bool late = due && TooLate(next, now);
        if (due && (onTick || late)) {
            // The shots before it in the scenario are due too: sent and recorded first, they
            // are not taken back and handed over again behind it by a key pressed meanwhile.
            if (!handedOver_.empty()) {
                show_.port_.SendDueFrames();
                CollectShots();
            }
            show_.HandleCue(next++, false, late);
            continue;
        }
        // A locked position's cue is passed over at its moment. Without a look ahead (a tempo
        // of 0 among the reasons) no due moment is reckoned.
        if (show_.Judge(next) != TCueVerdict::Fire || (!due && !lookAhead))
            break;
        const uint32_t dueTick =
            due ? now : show_.clock_.DueTick(show_.Cues()[static_cast<size_t>(next)].time, now);
        if (static_cast<int32_t>(dueTick - now) > kLookAheadMs)
            break;
        HandOver(next++, dueTick);
    }
}

void TDirectRun::HandOver(int32_t index, uint32_t dueTick)
{
    const TCue& cue = show_.Cues()[static_cast<size_t>(index)];
    TCommonDevice* device = show_.controls_.FindByAddress(cue.module);
    // A high-voltage shot carries the charge of the module's next one, taken in scenario
    // order as the hand-over goes.
    auto* highVoltage = dynamic_cast<THVControl*>(device);
    const int charge = highVoltage ? show_.charges_.ShotCharge(highVoltage->address, index) : 0;
    handedOver_.push_back(
        {index, highVoltage ? highVoltage->address : -1,
         show_.port_.FireChannelAt(device->address, device->converterIndex, device->attemptMode,
                                   cue.channel, charge, dueTick),
         dueTick});
}

void TDirectRun::CollectShots()
{
    for (const TTimedResult& done : show_.port_.TakeTimedResults()) {
        const auto shot = std::find_if(handedOver_.begin(), handedOver_.end(),
                                       [&](const THandedOver& h) { return h.ticket == done.ticket; });
        if (shot == handedOver_.end())
            continue;
        // The port found it long overdue after a hold-up of the program and did not send it:
        // no converter was lost.
        const bool stale = done.result != kLinkOk && !show_.port_.DownAt(shot->dueTick) &&
                           static_cast<int32_t>(done.sentTick - shot->dueTick) >
                               static_cast<int32_t>(TPort::kTimedStaleMs);
        if (stale)
            show_.ReportTooLate(shot->cue);
        else
            show_.ShotSent(shot->cue, done.result, done.sentTick);
        handedOver_.erase(shot);
    }
}

void TDirectRun::TakeBackShots()
{
    show_.port_.DropTimed();
    CollectShots();
    for (const THandedOver& shot : handedOver_) {
        show_.nextCue_ = std::min(show_.nextCue_, shot.cue);
        // Handed over again, the shot takes the same place.
        show_.charges_.Rewind(shot.cue);
    }
    handedOver_.clear();
}

}  // namespace kv
