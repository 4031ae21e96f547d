// The standby (Ctrl+R, menu "Резерв"): armed like a wait for the start, the console follows
// the show another station on the bus runs and goes on with it when that station falls
// silent. Until then it sends nothing but its status queries: no idle poll, no start.
#include "console/mainwindow/MainForm.h"

#include "show/player/ExtPlayer.h"
#include "show/session/ShowSession.h"
#include "show/standby/Standby.h"
#include "show/timecode/TimecodeArm.h"
#include "support/lang/AddedMessages.h"
#include "support/log/RunLog.h"
#include "support/platform/Platform.h"

#include <QAction>
#include <QApplication>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QTimer>

#include <algorithm>

namespace kv {

namespace {

constexpr int kWatchMs = 200;
constexpr int64_t kDefaultTakeoverMs = 300;
constexpr int64_t kLeastTakeoverMs = 100;
constexpr int64_t kMostTakeoverMs = 10000;

}  // namespace

void TMainForm::WireStandby()
{
    standbyAction_->setCheckable(true);
    QMenu* menu = menuBar()->addMenu("Резерв");
    menu->setObjectName("StandbyMenu");
    menu->addAction(standbyAction_);
    connect(standbyAction_, &QAction::triggered, this, [this] { StandbyActionExecute(); });
    standbyLabel_ = AddLaunchLine("StandbyLabel");
    standbyLabel_->setVisible(false);
    standbyTimer_ = AddTimer("StandbyTimer", kWatchMs);
    connect(standbyTimer_, &QTimer::timeout, this, [this] { WatchStandby(); });
}

bool TMainForm::StandbyArmAllowed() const
{
    // The takeover plays the scenario's cues: no manual firing. One wait at a time.
    return StartAllowed() && !memoryOperation_ && !(timecodeArm_ && timecodeArm_->Armed()) &&
           player_->Setup().firingMode == kFiringAutomatic;
}

bool TMainForm::StandbyFollowing() const
{
    const TStandby* standby = session_ ? session_->Standby() : nullptr;
    return standby && standby->Armed() && !standby->TookOver();
}

bool TMainForm::StandbyShowRunning() const
{
    return StandbyFollowing() && session_->Standby()->Follower()->Show() == TFollowedShow::Running;
}

void TMainForm::StandbyActionExecute()
{
    if (StandbyShowRunning()) {
        // Let go mid-show, the console would answer the primary's clock as an idle station
        // does, with a stop: the stop key is the way out.
        standbyAction_->setChecked(true);
    } else if (StandbyFollowing()) {
        DisarmStandby();
    } else if (StandbyArmAllowed()) {
        standbyAsked_ = true;
        TStartGate gate = StartGate();
        const bool open = gate.Open(TStartGate::TWay::Wait) == TStartVerdict::Open;
        standbyAsked_ = false;
        // The bus cannot tell the show the primary runs: the operator says it is this one,
        // then the start key's questions, all before the wait.
        const bool same =
            open && Platform().MessageBox(Localize(kMsgStandbySameShowUnchecked),
                                          Localize(68, "Предупреждение"),
                                          TButtons::YesNo) == TAnswer::Yes;
        if (open && !same)
            WriteLog(Localize(kMsgStartCalledOffWarning));
        if (same && gate.Confirm(TStartGate::TWay::Wait) == TStartVerdict::Open &&
            StandbyArmAllowed())
            ArmStandby();
    }
    standbyAction_->setChecked(StandbyFollowing());
    UpdateButtons();
    TakeKeysBack();
}

void TMainForm::ArmStandby()
{
    const int64_t takeoverMs = std::clamp(
        ini_.ReadInteger("standby", "TakeoverMs", kDefaultTakeoverMs), kLeastTakeoverMs,
        kMostTakeoverMs);
    const auto primary = static_cast<int>(ini_.ReadInteger("standby", "Primary", 0));
    standbyGate_.emplace(StartGate());
    idleTimer_->stop();
    TStandby& standby = session_->ArmStandby(
        {primary, static_cast<uint32_t>(takeoverMs), player_->Tempo()});
    // Under a dialog the stop key would not reach the console and the dialog's buttons would
    // act beside the show; a let-go hold-to-fire key or a lost converter start nothing either.
    standby.MayTakeOver = [this] {
        return !QApplication::activeModalWidget() && !memoryOperation_ &&
               standbyGate_->StillOpen() == TStartVerdict::Open;
    };
    standbyLabel_->setVisible(true);
    standbyTimer_->start();
    WatchStandby();
}

void TMainForm::DisarmStandby()
{
    session_->DisarmStandby();
    standbyGate_.reset();
    standbyAction_->setChecked(false);
    standbyLabel_->setVisible(false);
    standbyTimer_->stop();
    ResumeIdlePoll();
}

void TMainForm::StopFollowedShow()
{
    const TFiringReport heard = session_->Standby()->HeardReport();
    player_->Stop(true);
    DisarmStandby();
    player_->CloseFollowedReport(heard);
    ShowReportAfterStop();
    UpdateButtons();
}

void TMainForm::WatchStandby()
{
    const TStandby* standby = session_->Standby();
    if (!standby || !standby->Armed()) {
        DisarmStandby();
        UpdateButtons();
        return;
    }
    if (standby->TookOver() && !player_->IsRunning()) {
        // The show taken over has ended: its report is the player's own.
        DisarmStandby();
        UpdateButtons();
        return;
    }
    if (!standby->TookOver() && standby->FollowedShowEnded()) {
        player_->CloseFollowedReport(standby->HeardReport());
        DisarmStandby();
        ShowReportAfterStop();
        UpdateButtons();
        return;
    }
    const TStandbyFollower& follower = *standby->Follower();
    std::string state = Localize(kMsgStandbyAwaitsShow);
    if (standby->TookOver())
        state = Localize(kMsgStandbyRunsShow);
    else if (follower.Show() == TFollowedShow::Running)
        state = Localize(kMsgStandbyFollowsShow) + " " + std::to_string(follower.PrimaryId());
    standbyLabel_->setText(
        QString::fromStdString(Localize(kMsgStandbyIndicator) + " " + state));
    standbyLabel_->setStyleSheet("font-weight: bold;");
}

}  // namespace kv
