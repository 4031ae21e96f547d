// The timecode start (Shift+F5): armed, the show starts as by the start key once the sound
// desk's locked timecode reaches the start point, and then follows it; the lock indicator
// on the launch page. The timecode output (Ctrl+T): the show clock sent as timecode for a
// sound or lighting desk to chase.
#include "console/mainwindow/MainForm.h"

#include "show/player/ExtPlayer.h"
#include "show/player/launch/ShowLaunch.h"
#include "show/session/ShowSession.h"
#include "show/timecode/TimecodeArm.h"
#include "show/timecode/TimecodeOutput.h"
#include "show/timecode/TimecodeReceiver.h"
#include "support/lang/AddedMessages.h"
#include "support/platform/Platform.h"
#include "support/log/RunLog.h"

#include <QAction>
#include <QApplication>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>
#include <QTimer>

namespace kv {

namespace {

constexpr int kIndicatorMs = 200;
constexpr int kOutputWatchMs = 500;

std::string OutputName(const TTimecodeOutputSettings& settings)
{
    if (settings.target.side == TSoundSide::Right)
        return "soundtrack";
    return settings.target.sink.empty() ? "@DEFAULT_SINK@" : settings.target.sink;
}

}  // namespace

void TMainForm::WireTimecode()
{
    MakeTimecodeReceiver(ReadTimecodeSettings(ini_));
    timecodeAction_->setCheckable(true);
    QMenu* menu = menuBar()->addMenu("Таймкод");
    menu->setObjectName("TimecodeMenu");
    menu->addAction(timecodeAction_);
    connect(timecodeAction_, &QAction::triggered, this, [this] { TimecodeActionExecute(); });
    timecodeLabel_ = AddLaunchLine("TimecodeLabel");
    timecodeLabel_->setVisible(false);
    timecodeTimer_ = AddTimer("TimecodeTimer", kIndicatorMs);
    connect(timecodeTimer_, &QTimer::timeout, this, [this] { ShowTimecode(); });

    const TTimecodeSettings settings = timecode_->Settings();
    timecodeOut_ = session_->MakeTimecodeOutput(settings.output);
    timecodeOutAction_ = AddAction("TimecodeOutAction", "Передача таймкода", QKeySequence("Ctrl+T"));
    timecodeOutAction_->setCheckable(true);
    // It fires nothing: on or off at any time, in a show too.
    timecodeOutAction_->setEnabled(true);
    menu->addAction(timecodeOutAction_);
    connect(timecodeOutAction_, &QAction::triggered, this, [this] { TimecodeOutActionExecute(); });
    timecodeOutTimer_ = AddTimer("TimecodeOutTimer", kOutputWatchMs);
    connect(timecodeOutTimer_, &QTimer::timeout, this, [this] { WatchTimecodeOutput(); });
    if (settings.output.on)
        StartTimecodeOutput();
}

void TMainForm::TimecodeOutActionExecute()
{
    if (timecodeOut_->Running())
        StopTimecodeOutput();
    else
        StartTimecodeOutput();
    TakeKeysBack();
}

void TMainForm::StartTimecodeOutput()
{
    const TTimecodeOutputSettings& settings = timecodeOut_->Settings();
    timecodeOut_->Start();
    timecodeOutTimer_->start();
    timecodeOutAction_->setChecked(true);
    WriteLog(Localize(kMsgTimecodeOutOn) + " " + OutputName(settings) + ", " +
             TimecodeRateName(settings.rate) + ", " +
             FormatTimecode(settings.zero, settings.rate == TTimecodeRate::Fps2997Drop));
}

void TMainForm::StopTimecodeOutput()
{
    timecodeOut_->Stop();
    timecodeOutTimer_->stop();
    timecodeOutAction_->setChecked(false);
    WriteLog(Localize(kMsgTimecodeOutOff));
}

void TMainForm::WatchTimecodeOutput()
{
    if (!timecodeOut_->Failed())
        return;
    // The sink is gone or never was: said once, and the action shows it off. No message box
    // during a show: it would take the stop key.
    const std::string text =
        Localize(kMsgTimecodeOutFailed) + " " + OutputName(timecodeOut_->Settings());
    WriteLog(text);
    StopTimecodeOutput();
    if (!player_->IsRunning())
        Platform().MessageBox(text, Localize(66, "Ошибка"), TButtons::Ok);
}

bool TMainForm::TimecodeArmAllowed() const
{
    return StartAllowed() && !memoryOperation_ && !StandbyFollowing();
}

bool TMainForm::StartAwaited() const
{
    return (timecodeArm_ && timecodeArm_->Armed()) || StandbyFollowing();
}

void TMainForm::TimecodeActionExecute()
{
    if (timecodeArm_->Armed()) {
        DisarmTimecode();
    } else if (TimecodeArmAllowed()) {
        TStartGate gate = StartGate();
        if (gate.Open(TStartGate::TWay::Wait) != TStartVerdict::Open) {
            timecodeAction_->setChecked(false);
            return;
        }
        // The start key's questions, answered before the wait: a start by the timecode must
        // not wait on a question.
        if (gate.Confirm(TStartGate::TWay::Wait) == TStartVerdict::Open && TimecodeArmAllowed())
            ArmTimecode();
    }
    timecodeAction_->setChecked(timecodeArm_->Armed());
    UpdateButtons();
    TakeKeysBack();
}

void TMainForm::ArmTimecode()
{
    UseSlotTimecode();
    const std::string source = timecode_->Settings().source;
    std::string error;
    if (!timecode_->Open(error)) {
        const std::string text = Localize(kMsgTimecodeNoCapture) + " " + source + ": " + error;
        WriteLog(text);
        Platform().MessageBox(text, Localize(66, "Ошибка"), TButtons::Ok);
        return;
    }
    timecodeGate_.emplace(StartGate());
    timecodeArm_->Arm();
    WriteLog(Localize(kMsgTimecodeArmed) + " " + source);
    WriteLog(Localize(kMsgTimecodeZeroInUse) + " " + SlotTimecodeText());
    timecodeLabel_->setVisible(true);
    timecodeTimer_->start();
    ShowTimecode();
}

void TMainForm::DisarmTimecode()
{
    timecodeArm_->Disarm();
    timecodeAction_->setChecked(false);
    WriteLog(Localize(kMsgTimecodeDisarmed));
}

bool TMainForm::EndWait()
{
    bool ended = false;
    if (timecodeArm_ && timecodeArm_->Armed()) {
        DisarmTimecode();
        ended = true;
    }
    // Let go while the primary's show runs, the console would answer that show's clock as an
    // idle station does, with a stop.
    if (StandbyFollowing() && !StandbyShowRunning()) {
        DisarmStandby();
        ended = true;
    }
    if (ended)
        UpdateButtons();
    return ended;
}

bool TMainForm::EndOutlivedWait()
{
    bool ended = false;
    if (timecodeArm_ && timecodeArm_->Armed() &&
        (!TimecodeArmAllowed() || timecodeGate_->StopHeardSince())) {
        DisarmTimecode();
        ended = true;
    }
    if (StandbyFollowing() && !StandbyShowRunning() && !StandbyArmAllowed()) {
        DisarmStandby();
        ended = true;
    }
    return ended;
}

void TMainForm::TimecodeReached()
{
    if (QApplication::activeModalWidget() || memoryOperation_) {
        // Under a dialog the stop key would not reach the console, and what the dialog does
        // (a memory write, a timed start, the start warning's "Продолжить") would run beside
        // the show.
        WriteLog(Localize(kMsgTimecodeUnderDialog));
    } else if (!TimecodeArmAllowed() || timecodeGate_->StopHeardSince()) {
        // The console disarmed, a stop heard on the bus or a start by key meanwhile.
        WriteLog(Localize(kMsgTimecodeDisarmed));
    } else if (timecodeGate_->StillOpen() == TStartVerdict::Open) {
        StartShowOnTimecode(*player_, timecode_->Chase());
    }
    timecodeAction_->setChecked(false);
    UpdateButtons();
}

void TMainForm::TimecodeRefused()
{
    timecodeAction_->setChecked(false);
    UpdateButtons();
    if (!QApplication::activeModalWidget())
        Platform().MessageBox(Localize(kMsgTimecodeJoinRefused) + " " +
                                  FormatTimecode(timecode_->Chase().Label(), timecode_->Chase().DropFrame()),
                              Localize(66, "Ошибка"), TButtons::Ok);
}

void TMainForm::UpdateTimecodeAction()
{
    if (!timecodeArm_)
        return;
    timecodeAction_->setEnabled(timecodeArm_->Armed() || TimecodeArmAllowed());
}

void TMainForm::ShowTimecode()
{
    if (EndOutlivedWait())
        UpdateButtons();
    UpdateTimecodeAction();
    const uint32_t now = Platform().TickCount();
    const bool locked = timecode_->Chase().State() == TTimecodeChase::TState::Locked;
    const std::optional<int32_t> startAt =
        timecodeArm_->Armed() ? std::optional(timecodeArm_->Threshold()) : std::nullopt;
    timecodeLabel_->setText(QString::fromStdString(Localize(kMsgTimecodeIndicator) + " " +
                                                   timecode_->IndicatorText(now, startAt)));
    timecodeLabel_->setStyleSheet(locked ? "color: #008000; font-weight: bold;"
                                         : "color: #c00000; font-weight: bold;");
    // The capture goes on while a show follows it, and ends with the wait or the show.
    if (!timecodeArm_->Armed() && !player_->Chased()) {
        timecodeTimer_->stop();
        timecode_->Close();
    }
}

}  // namespace kv
