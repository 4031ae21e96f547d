// The show player's events and the clocks of the launch page.
#include "console/mainwindow/MainForm.h"

#include "console/dialogs/ExtStartForm.h"
#include "console/dialogs/TimerForm.h"
#include "console/dialogs/WarningForm.h"
#include "console/mainwindow/devices/MotorWord.h"
#include "console/panels/launch/LaunchPage.h"
#include "console/panels/launch/ManualKeyboard.h"
#include "console/panels/launch/SlotStrip.h"
#include "console/panels/launch/TimePanel.h"
#include "devices/memory/ScenarioChecks.h"
#include "devices/readiness/CheckedChannel.h"
#include "devices/registry/Controls.h"
#include "show/player/ExtPlayer.h"
#include "show/player/launch/ShowLaunch.h"
#include "support/text/Conversions.h"
#include "support/lang/Localizer.h"
#include "support/log/RunLog.h"

#include <QLabel>
#include <QPushButton>
#include <QTimer>
#include <QTreeWidget>

#include <algorithm>

namespace kv {

namespace {

QString Clock(int64_t ms)
{
    return QString::fromStdString(ClockText(ms, 1));
}

}  // namespace

void TMainForm::ShowProject()
{
    for (int slot = 0; slot < TProjects::kSlotCount; ++slot)
        launch_->slotStrip->ShowSlot(slot, projects_.Project(slot)->Duration(),
                                     slotRecords_[static_cast<size_t>(slot)].soundtrackLength,
                                     slot == currentSlot_);
    const TProjectList& scenario = *projects_.Project(currentSlot_);
    launch_->timePanel->projectName->setText(QString::fromStdString(scenario.Name()));
    launch_->cueList->clear();
    QList<QTreeWidgetItem*> rows;
    for (const TCue& cue : scenario.Cues()) {
        const QString channel = cue.IsMotor() ? QString::fromStdString(MotorWord(cue.kind))
                                              : QString::number(cue.channel + 1);
        // An imported cue's note holds its effect data, shown in their own columns.
        const std::string note = cue.effectTime ? std::string() : cue.note;
        rows << new QTreeWidgetItem(QStringList{QString::fromStdString(cue.timeText),
                                                QString::number(cue.module), channel,
                                                QString::fromStdString(note),
                                                QString::fromStdString(cue.effect),
                                                QString::fromStdString(cue.position)});
    }
    launch_->cueList->addTopLevelItems(rows);
    MarkLockedCues();
    MarkScenarioChannels(*controls_, scenario.Cues());
    // The test page shows which channels the scenario uses.
    if (TestPageShown())
        RedrawTestPanel();
    RefreshReports();
}

void TMainForm::ShowTime(int32_t time)
{
    const int32_t clock = std::max(time, 0);
    launch_->timePanel->time->setText(Clock(clock));
    const TProjectList& scenario = *projects_.Project(currentSlot_);
    QTreeWidget& list = *launch_->cueList;
    const int next = player_->NextCue();
    if (scenario.Count() > 0 && next >= 0 && next < scenario.Count() &&
        next < list.topLevelItemCount()) {
        // The next cue stands in the middle of the list.
        const int visibleRows =
            list.viewport()->height() / std::max(1, list.sizeHintForRow(0));
        if (QTreeWidgetItem* ahead = list.topLevelItem(next + visibleRows / 2))
            list.scrollToItem(ahead);
        QTreeWidgetItem* row = list.topLevelItem(next);
        list.setCurrentItem(row);
        if (list.isVisible())
            list.setFocus();
        list.scrollToItem(row);
    }
    const int32_t duration = scenario.Duration();
    const int32_t rest = duration == 0 || duration < clock ? 0 : duration - clock;
    launch_->timePanel->scenarioRest->setText(Clock(rest));
}

void TMainForm::SoundTimerTimer()
{
    TBassPlayer& soundtrack = player_->Soundtrack();
    const int64_t position = soundtrack.Loaded() ? soundtrack.TimePosition() : 0;
    // At the track's end the position may pass the length by a buffer: no "-0:00:00.0".
    const int64_t rest =
        soundtrack.Loaded() ? std::max<int64_t>(soundtrack.TimeLength() - position, 0) : 0;
    launch_->timePanel->soundPosition->setText(Clock(position));
    launch_->timePanel->soundRest->setText(Clock(rest));
    // Music that ends by itself leaves nothing to stop.
    launch_->stopBtn->setEnabled(StopAllowed());
}

void TMainForm::PlayerStateChanged()
{
    const bool running = player_->IsRunning();
    if (running) {
        idleTimer_->stop();
        launchState_ = kLaunchRunning;
        // A start by the bus or the clock uses up what the operator read, too.
        goNoGoGate_.Forget();
        HideReports();
    } else {
        // A stop heard on the bus must not restart the poll under a search or a channel test.
        ResumeIdlePoll();
        LogShowStop();
        // A stop heard on the bus while nothing ran brings no old report back.
        if (launchState_ == kLaunchRunning)
            ShowReportAfterStop();
        // A stop heard on the bus while idle must not arm the console.
        if (launchState_ != kLaunchIdle)
            launchState_ = kLaunchReady;
        // A stop between two time reports would leave a cue fired since then highlighted as
        // the next, for Enter to take as the start point.
        ShowTime(player_->CurrentTime());
    }
    UpdateButtons();
}

void TMainForm::RemoteStopReceived()
{
    // An emergency stop ends a wait for the start too: the countdown would start the show
    // at zero, and the player no longer answers an external start. The start dialog goes as
    // well: its "Запуск" would set up a start the stop has called off.
    ++remoteStops_;
    if (aux_.timer && aux_.timer->isVisible())
        aux_.timer->reject();
    if (aux_.extStart && aux_.extStart->isVisible())
        aux_.extStart->reject();
    if (warning_)
        warning_->ShowWarning(Localize(46, "Экстренная остановка!"));
    LogRemoteStop();
}

void TMainForm::ChannelFired(int module, int channel)
{
    const TCommonControl* control = ManualModule();
    const int first = manualPage_ * TManualKeyboard::kKeys;
    if (control && control->address == module && channel >= first &&
        channel < first + TManualKeyboard::kKeys)
        ShowManualKey(channel - first, true);
}

void TMainForm::ChannelChecked(int module, int channel)
{
    if (!controls_->FindByAddress(module))
        return;
    WriteLog(CheckedChannelLogLine(*controls_, module, channel));
    ChannelFired(module, channel);
}

}  // namespace kv
