// Rehearsal (Ctrl+F10): the bus switched to a model of the installation the last search
// found, and back to the real converters.
#include "console/mainwindow/MainForm.h"

#include "console/panels/launch/IndicatorStrip.h"
#include "console/panels/launch/LaunchPage.h"
#include "console/panels/banners/RehearsalBanner.h"
#include "devices/registry/Controls.h"
#include "field/rehearsal/Rehearsal.h"
#include "field/bus/TransportChoice.h"
#include "link/PortProto.h"
#include "show/player/ExtPlayer.h"
#include "support/lang/AddedMessages.h"
#include "support/text/Conversions.h"
#include "support/lang/Localizer.h"
#include "support/platform/Platform.h"
#include "support/log/RunLog.h"

#include <QAction>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>

namespace kv {

void TMainForm::WireRehearsal()
{
    rehearsal_ = std::make_unique<TRehearsal>(*port_, *controls_);
    rehearsalAction_->setCheckable(true);
    QMenu* menu = menuBar()->addMenu("Сервис");
    menu->setObjectName("ServiceMenu");
    menu->addAction(rehearsalAction_);
    connect(rehearsalAction_, &QAction::triggered, this, [this] { RehearsalActionExecute(); });
}

void TMainForm::RehearsalActionExecute()
{
    // The bus must not change under a show, nor under a wait that may start one, whatever
    // let the key through.
    if (!player_->IsRunning() && !StartAwaited() && launchState_ != kLaunchRunning) {
        if (rehearsal_->Active())
            EndRehearsal();
        else
            BeginRehearsal();
    }
    rehearsalAction_->setChecked(rehearsal_->Active());
    TakeKeysBack();
}

void TMainForm::BeginRehearsal()
{
    const std::string caption = Localize(66, "Ошибка");
    if (controls_->Count() == 0) {
        Platform().MessageBox(Localize(kMsgRehearsalNoDevices), caption, TButtons::Ok);
        return;
    }
    // A real igniter's check must be answered by the real bus, not by the model.
    if (player_->HasUnchecked()) {
        Platform().MessageBox(Localize(kMsgRehearsalChecksPending), caption, TButtons::Ok);
        return;
    }
    std::string problem;
    if (rehearsal_->Begin(settings_.thresholds, problem) != 0) {
        const std::string text = Localize(kMsgRehearsalNoModel) + " " + problem;
        WriteLog(text);
        Platform().MessageBox(text, caption, TButtons::Ok);
        return;
    }
    player_->EnterModelBus();
    WriteLog(Localize(kMsgRehearsalBegin) + " " + IntToText(controls_->Count()));
    RehearsalChanged();
}

void TMainForm::EndRehearsal()
{
    // A wait armed for the model must not start a show on the real bus.
    EndWait();
    rehearsal_->End();
    player_->LeaveModelBus(SimulatedField(settings_.port));
    // The model's shots burnt no real igniter: none of them is checked on the real bus.
    player_->ClearFired();
    WriteLog(Localize(kMsgRehearsalEnd));
    RehearsalChanged();
}

void TMainForm::RehearsalChanged()
{
    // Armed for the other bus: the start key pressed by habit after the switch would fire the
    // show there, from where the last one stopped.
    launchState_ = kLaunchIdle;
    // Music the last show left playing would carry the next start, on the other bus, from
    // where it has got to.
    SoundtrackToStartPoint(player_->CurrentTime());
    ShowTime(player_->CurrentTime());
    rehearsalBanner_->ShowRehearsal(rehearsal_->Active());
    launch_->indicators->rs485Label->setText(ConverterText());
    RebuildDeviceList();
    RefreshManualKeys();
    UpdateButtons();
}

}  // namespace kv
