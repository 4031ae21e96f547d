// Which buttons and actions the operator may use now, and the mode indicators.
#include "console/mainwindow/MainForm.h"

#include "console/panels/devices/DeviceColumn.h"
#include "console/panels/launch/IndicatorStrip.h"
#include "console/panels/launch/LaunchPage.h"
#include "devices/registry/Controls.h"
#include "show/player/ExtPlayer.h"
#include "support/lang/Localizer.h"

#include <QAction>
#include <QLabel>
#include <QPushButton>
#include <QTreeWidget>

namespace kv {

bool TMainForm::TestPageShown() const
{
    return devices_->testBtn->isChecked();
}

bool TMainForm::ScenarioEmpty() const
{
    return projects_.Project(currentSlot_)->Count() == 0;
}

bool TMainForm::ModeCommandsAllowed() const
{
    return !testRunning_ && !player_->IsRunning() && launchState_ != kLaunchRunning &&
           !StartAwaited();
}

bool TMainForm::StartAllowed() const
{
    return !TestPageShown() && !searching_ && !testRunning_ && !player_->IsRunning() &&
           launchState_ == kLaunchReady &&
           (!ScenarioEmpty() || player_->Setup().firingMode == kFiringManual);
}

bool TMainForm::StopAllowed()
{
    TBassPlayer& soundtrack = player_->Soundtrack();
    // A standby's stop stops the show it follows, on the other station too.
    return !TestPageShown() && !searching_ && !testRunning_ &&
           (player_->IsRunning() || StandbyShowRunning() ||
            (soundtrack.Loaded() && soundtrack.IsPlaying()));
}

void TMainForm::UpdateButtons()
{
    EndOutlivedWait();
    const bool running = player_->IsRunning();
    // Armed, the timecode may start the show at any moment: what a show refuses is refused.
    const bool awaited = StartAwaited();
    const bool launchPage = !TestPageShown();
    const bool free = !searching_ && !testRunning_;
    const bool stoppedHere = launchPage && free && !running;
    const bool hasScenario = !ScenarioEmpty();
    TLaunchPage& page = *launch_;

    devices_->testBtn->setEnabled(!testRunning_ && !running && launchState_ == kLaunchIdle);
    devices_->searchBtn->setEnabled(devices_->testBtn->isEnabled());
    // A mode command in a show would silence or arm modules under it; in a channel test it
    // changes what is being measured.
    devices_->testModeBtn->setEnabled(ModeCommandsAllowed());
    devices_->fireModeBtn->setEnabled(ModeCommandsAllowed());
    page.soundBtn->setEnabled(stoppedHere && launchState_ == kLaunchIdle);
    page.projectBtn->setEnabled(page.soundBtn->isEnabled());
    page.beginBtn->setEnabled(stoppedHere && launchState_ != kLaunchRunning && hasScenario);
    page.startBtn->setEnabled(StartAllowed() && !awaited);
    page.stopBtn->setEnabled(StopAllowed());
    page.saveBtn->setEnabled(stoppedHere && !awaited && hasScenario &&
                             launchState_ != kLaunchRunning && controls_->FiringModuleCount() > 0);
    page.checkBtn->setEnabled(page.saveBtn->isEnabled());

    UpdateTestPageButtons();

    if (launchPage && page.cueList->isVisible())
        page.cueList->setFocus();
    ActionListUpdate();
    UpdateIndicators();
}

void TMainForm::ActionListUpdate()
{
    const bool launchPage = !TestPageShown();
    const bool free = !searching_ && !testRunning_;
    const bool idle = launchState_ == kLaunchIdle;
    const bool showAhead = player_->IsRunning() || StartAwaited();
    const bool memoryAllowed = launchPage && free && !showAhead && launchState_ != kLaunchRunning;
    const bool firingModules = controls_->FiringModuleCount() > 0;

    controlAction_->setEnabled(launchPage && free && idle);
    modeAction_->setEnabled(controlAction_->isEnabled());
    exitAction_->setEnabled(free && idle);
    extStartAction_->setEnabled(launch_->startBtn->isEnabled());
    clearMemAction_->setEnabled(memoryAllowed && firingModules);
    readMemLogAction_->setEnabled(clearMemAction_->isEnabled());
    savePduAction_->setEnabled(memoryAllowed && controls_->HasRemoteControl());
    checkPduAction_->setEnabled(savePduAction_->isEnabled());
    powerUpGlobal_->setEnabled(firingModules && ModeCommandsAllowed());
    powerDownGlobal_->setEnabled(powerUpGlobal_->isEnabled());
    debugAction_->setEnabled(true);
    rehearsalAction_->setEnabled(free && !showAhead && launchState_ != kLaunchRunning);
    // A whole repaint stalls the main thread, which fires the cues.
    nightAction_->setEnabled(!showAhead && launchState_ != kLaunchRunning);
    UpdateTimecodeAction();
    standbyAction_->setEnabled(StandbyFollowing() || StandbyArmAllowed());
}

void TMainForm::UpdateIndicators()
{
    TIndicatorStrip& strip = *launch_->indicators;
    strip.wait.label->setText(QString::fromStdString(
        searching_ ? Localize(24, "Поиск...") : Localize(25, "Ожидание")));
    const bool shown = !searching_ && !testRunning_;
    const uint8_t firing = player_->Setup().firingMode;
    strip.workAuto.SetLit(shown && firing != kFiringManual);
    strip.workManual.SetLit(shown && firing != kFiringAutomatic);
    strip.wait.SetLit(shown && launchState_ == kLaunchIdle);
    strip.work.SetLit(shown && launchState_ != kLaunchIdle);
    strip.direct.SetLit(shown && player_->Setup().controlMode == kControlDirect);
    strip.autonomous.SetLit(shown && player_->Setup().controlMode == kControlAutonomous);
}

}  // namespace kv
