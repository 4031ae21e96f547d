// The main window's side of its auxiliary windows: which control opens which.
#include "console/mainwindow/MainForm.h"

#include "console/dialogs/DebugForm.h"
#include "console/panels/launch/LaunchPage.h"
#include "show/player/ExtPlayer.h"

#include <QAction>
#include <QPushButton>
#include <QTimer>

namespace kv {

void TMainForm::SetAuxForms(const TAuxForms& forms)
{
    aux_ = forms;
    WireAuxForms();
}

void TMainForm::WireAuxForms()
{
    connect(launch_->saveBtn, &QPushButton::clicked, this, [this] { SaveBtnClick(); });
    connect(launch_->checkBtn, &QPushButton::clicked, this, [this] { CheckBtnClick(); });
    const auto onAction = [this](QAction* action, void (TMainForm::*handler)()) {
        connect(action, &QAction::triggered, this, [this, handler] { (this->*handler)(); });
    };
    onAction(clearMemAction_, &TMainForm::ClearMemActionExecute);
    onAction(readMemLogAction_, &TMainForm::ReadMemLogActionExecute);
    onAction(savePduAction_, &TMainForm::SavePDUActionExecute);
    onAction(checkPduAction_, &TMainForm::CheckPDUActionExecute);
    onAction(extStartAction_, &TMainForm::ExtStartActionExecute);
    onAction(debugAction_, &TMainForm::DebugActionExecute);
    WireReports();
    aux_.debug->SetPolling = [this](bool on) {
        if (on)
            ResumeIdlePoll();
        else
            idleTimer_->stop();
    };
}

bool TMainForm::DebugAllowed()
{
    // Its test writes into every module's memory and starts the modules' clocks.
    TBassPlayer& soundtrack = player_->Soundtrack();
    return !player_->IsRunning() && !StartAwaited() && launchState_ != kLaunchRunning &&
           !searching_ && !testRunning_ && !memoryOperation_ &&
           !(soundtrack.Loaded() && soundtrack.IsPlaying());
}

void TMainForm::DebugActionExecute()
{
    // The shortcut can come before the actions are brought up to date.
    if (!DebugAllowed())
        return;
    aux_.debug->Open();
    TakeKeysBack();
}

void TMainForm::TakeKeysBack()
{
    // Without a window manager nobody hands the keys back once a dialog has gone.
    activateWindow();
}

}  // namespace kv
