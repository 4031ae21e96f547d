#include "show/player/ExtPlayer.h"

#include "devices/registry/Controls.h"
#include "link/ClockMessage.h"
#include "link/PortProto.h"
#include "link/Result.h"
#include "show/player/bus/BusFailureLog.h"
#include "show/player/launch/ShowLaunch.h"
#include "support/lang/Localizer.h"
#include "support/platform/Platform.h"
#include "support/log/RunLog.h"

namespace kv {

TExtPlayer::TExtPlayer(TControls& controls, TPortProto& port) : TCommonPlayer(controls, port) {}

void TExtPlayer::ClearFired()
{
    fired_.clear();
    checkPosition_ = 0;
}

void TExtPlayer::Start(int32_t from)
{
    ClearFired();
    TCommonPlayer::Start(from);
}

void TExtPlayer::StartFromSoundtrack()
{
    ClearFired();
    // Whole milliseconds heard: rounded to the nearest, a cue at the next one went at once.
    BeginShow(static_cast<int32_t>(Soundtrack().HeardMs()), true);
}

void TExtPlayer::Halt(bool stopSoundtrack, bool broadcastStop)
{
    TCommonPlayer::Halt(stopSoundtrack, broadcastStop);
    armed = false;
}

void TExtPlayer::Fired(int module, int channel, bool manual, bool noSend, int result)
{
    TCommonPlayer::Fired(module, channel, manual, noSend, result);
    if (FiredCount() < kFiredCapacity)
        fired_.push_back({module, channel, FiredCue()});
    if (auto* control = dynamic_cast<TCommonControl*>(controls_.FindByAddress(module)))
        Ignore(control->MarkFired(channel), "a channel outside the tables has no mark");
    if (OnFired)
        OnFired(module, channel);
}

void TExtPlayer::IdleWork()
{
    if (!HasUnchecked() || Platform().TickCount() - LastFireTick() <= kCheckDelayMs)
        return;
    CheckChannel(fired_[static_cast<size_t>(checkPosition_)]);
    ++checkPosition_;
    // The last checks come after the stop; the file then gets them too.
    if (!IsRunning() && !HasUnchecked())
        SaveFiringReport();
}

void TExtPlayer::CheckChannel(const TFiredChannel& entry)
{
    auto* control = dynamic_cast<TCommonControl*>(controls_.FindByAddress(entry.module));
    if (!control)
        return;
    double value = 0;
    if (control->MeasureChannel(entry.channel, value) != 0) {
        Ignore(control->SetChannelState(entry.channel, kChannelFault),
               "a channel outside the tables has no state");
        report_.Checked(entry.cue, TCheckResult::NoAnswer);
        return;
    }
    Ignore(control->ClassifyChannel(entry.channel, value, thresholds),
           "a channel outside the tables reads as untested");
    report_.Checked(entry.cue, static_cast<TCheckResult>(control->ChannelState(entry.channel)));
    if (OnChecked)
        OnChecked(entry.module, entry.channel);
}

void TExtPlayer::HandleMessage(const TFrameRecord& message)
{
    TCommonPlayer::HandleMessage(message);
    const auto clock = DecodeClock(message);
    if (clock && clock->running && !OwnTimeFrame(message) && !GaveShowUp())
        ExternalStart(message, clock->timeMs);
}

void TExtPlayer::ExternalStart(const TFrameRecord& message, int32_t from)
{
    LogFailure(port_.SendFrame(InStopForm(message), -1), kMsgClockNotSent, from);
    ModulesStopped();
    if (!armed) {
        WriteLog(Localize(96, "Внешняя команда запуска - отменено"));
        return;
    }
    // The run log tells this show's modes and soundtrack as for a start by the key.
    StartShowExternally(*this, from);
    WriteLog(Localize(95, "Внешняя команда запуска, время:") + " " + std::to_string(from));
    armed = false;
}

}  // namespace kv
