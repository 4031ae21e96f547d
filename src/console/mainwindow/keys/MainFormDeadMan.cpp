// The hold-to-fire key ([show] DeadMan): a show starts, and a wait for a start begins, only
// while it is held; its release stops the show as the stop key does and ends every wait.
#include "console/mainwindow/MainForm.h"

#include "console/mainwindow/keys/DeadManSwitch.h"
#include "console/widgets/Fonts.h"
#include "show/player/ExtPlayer.h"
#include "support/lang/AddedMessages.h"
#include "support/log/RunLog.h"

#include <QLabel>

namespace kv {

void TMainForm::WireDeadMan()
{
    deadMan_ = new TDeadManSwitch(this, settings_.deadManKey, [this] { DeadManChanged(); });
    deadManLabel_ = AddLaunchLine("DeadManLabel");
    // A style sheet of its own would leave it the default font, not the console's scale.
    deadManLabel_->setFont(ConsoleFont(9));
    ShowDeadMan();
}

void TMainForm::ShowDeadMan()
{
    const bool held = deadMan_->Held();
    const TMessage& state =
        !deadMan_->On() ? kMsgDeadManOff : held ? kMsgDeadManHeld : kMsgDeadManReleased;
    deadManLabel_->setText(QString::fromStdString(Localize(state)));
    deadManLabel_->setStyleSheet(!deadMan_->On() ? "color: #606060;"
                                 : held          ? "color: #008000; font-weight: bold;"
                                                 : "color: #c00000; font-weight: bold;");
}

void TMainForm::DeadManChanged()
{
    ShowDeadMan();
    if (deadMan_->Held())
        return;
    // Within the tick: the stop goes out before the player's timer may fire again.
    if (player_->IsRunning()) {
        WriteLog(Localize(kMsgDeadManStop));
        StopBtnClick();
    }
    if (EndStartWaits()) {
        WriteLog(Localize(kMsgDeadManWaitEnded));
        UpdateButtons();
    }
}

bool TMainForm::DeadManLetsStart()
{
    if (!deadMan_->On() || deadMan_->Held())
        return true;
    WriteLog(Localize(kMsgDeadManNotHeld));
    return false;
}

}  // namespace kv
