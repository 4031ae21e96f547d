// The operator's keys: one handler ahead of the focused control turns every key that no
// enabled action took into console commands, by page, launch state, firing mode and player.
#include "console/mainwindow/MainForm.h"

#include "console/dialogs/ExtStartForm.h"
#include "console/dialogs/PresentWarningForm.h"
#include "console/dialogs/WarningForm.h"
#include "console/mainwindow/keys/ConsoleKeys.h"
#include "console/mainwindow/devices/MotorWord.h"
#include "console/mainwindow/keys/VirtualKeys.h"
#include "console/panels/devices/DeviceColumn.h"
#include "console/panels/launch/LaunchPage.h"
#include "console/panels/launch/ManualKeyboard.h"
#include "console/panels/test/TestPage.h"
#include "devices/kinds/CommonControl.h"
#include "devices/registry/Controls.h"
#include "show/player/ExtPlayer.h"
#include "support/lang/AddedMessages.h"
#include "support/text/Conversions.h"
#include "support/lang/Localizer.h"
#include "support/log/RunLog.h"

#include <QAction>
#include <QApplication>
#include <QKeyEvent>
#include <QKeySequence>
#include <QMessageBox>
#include <QPushButton>
#include <QTreeWidget>
#include <QWindow>

#include <algorithm>
#include <array>

namespace kv {

namespace {

// A key of this console's own whose action is disabled: it does nothing but close the warning.
constexpr int kRefusedKey = 0;
constexpr int kStepKey = FunctionKey(7);
constexpr int kTempoStep = 1;
constexpr int kOffsetStepMs = 50;

bool IsNavigationKey(int key)
{
    return key == kVkPageUp || key == kVkPageDown || key == kVkLeft || key == kVkRight ||
           key == kVkUp || key == kVkDown;
}

bool IsTempoOrOffsetKey(int key)
{
    return key == kVkMultiply || key == kVkDivide || key == kVkAdd || key == kVkEqualPlus ||
           key == kVkSubtract || key == kVkMinus;
}

bool IsFunctionKeyCode(int key)
{
    return key >= FunctionKey(1) && key <= FunctionKey(24);
}

// A button's key works exactly while the button may be pressed.
bool Press(QPushButton& button)
{
    if (!button.isEnabled())
        return false;
    button.click();
    return true;
}

// Plain and automatic firing modules switch their boost; the others have none.
bool BoostableModule(const TCommonControl* module)
{
    return module && (module->deviceType == 1 || module->deviceType == 2);
}

std::string ShotLine(int id, const std::string& text, int module, int channel)
{
    return Localize(id, text) + " " + IntToText(module) + Localize(13, ", канал:") + " " +
           IntToText(channel + 1);
}

}  // namespace

bool TMainForm::eventFilter(QObject* watched, QEvent* event)
{
    // Taken where the window receives the key, once, before any control sees it.
    const bool ownWindow =
        watched == windowHandle() ||
        (warning_ && warning_->isVisible() && watched == warning_->windowHandle());
    const QEvent::Type type = event->type();
    if (!ownWindow && type == QEvent::KeyPress && watched->isWindowType() &&
        StopKeyElsewhere(static_cast<const QKeyEvent&>(*event)))
        return true;
    if (ownWindow && (type == QEvent::ShortcutOverride || type == QEvent::KeyPress)) {
        const auto& key = static_cast<const QKeyEvent&>(*event);
        if (type == QEvent::ShortcutOverride) {
            if (!KeptFromActions(key))
                return QMainWindow::eventFilter(watched, event);
            // Overridden, the key skips the actions' shortcuts and comes as a key press.
            event->accept();
            return true;
        }
        // A key that an enabled action's shortcut took never arrives here.
        if (const int code = VirtualKey(key)) {
            const bool modified = (key.modifiers() & (Qt::ControlModifier | Qt::AltModifier |
                                                      Qt::ShiftModifier | Qt::MetaModifier)) != 0;
            return ShortCut({OwnKeyRefused(key) ? kRefusedKey : code, modified,
                             key.isAutoRepeat()});
        }
    }
    return QMainWindow::eventFilter(watched, event);
}

bool TMainForm::KeptFromActions(const QKeyEvent& key) const
{
    // Under the red warning the key only closes it; a held key's repeats start no action a
    // second time; and while a show runs no action may take its stop.
    return (warning_ && warning_->isVisible()) || key.isAutoRepeat() ||
           StopsShow(VirtualKey(key));
}

bool TMainForm::OwnKeyRefused(const QKeyEvent& key) const
{
    // The rehearsal's Ctrl+F10 is no F10 with Ctrl held: refused, it must not end a search;
    // a refused Ctrl+Insert must not switch the manual module's boost as Insert.
    const QKeySequence pressed(key.keyCombination());
    for (const QAction* action : {rehearsalAction_, powerUpGlobal_, powerDownGlobal_})
        if (!action->isEnabled() && action->shortcut() == pressed)
            return true;
    return false;
}

namespace {

// A question open under the stop key is answered no: the start or the write it asks about must
// not follow the Enter pressed next by habit.
void RefuseOpenQuestion()
{
    QWidget* modal = QApplication::activeModalWidget();
    if (qobject_cast<QMessageBox*>(modal) || dynamic_cast<TPresentWarningForm*>(modal) ||
        dynamic_cast<TExtStartForm*>(modal))
        static_cast<QDialog*>(modal)->reject();
}

}  // namespace

bool TMainForm::StopKeyElsewhere(const QKeyEvent& key)
{
    // A stop reflex in a report, a question or the waiting window must neither be lost nor
    // leave a start that comes by itself.
    const int code = VirtualKey(key);
    if (code == FunctionKey(6)) {
        // Held, it stops the show once, not the music after it as a second press does.
        if (key.isAutoRepeat() && !player_->IsRunning())
            return true;
        EndStartWaits();
        RefuseOpenQuestion();
        if (player_->IsRunning() || StopAllowed())
            StopBtnClick();
        return true;
    }
    // Esc goes on to close the window, as it always has.
    if (code == kVkEscape && player_->IsRunning())
        StopBtnClick();
    return false;
}

bool TMainForm::StopsShow(int key) const
{
    return player_->IsRunning() && (key == FunctionKey(6) || key == kVkEscape);
}

bool TMainForm::EndsSearchOrTest(int key) const
{
    return (searching_ && (key == FunctionKey(10) || key == kVkEscape)) ||
           (testRunning_ && TestPageShown() && key == FunctionKey(3));
}

bool TMainForm::RefusedWithModifier(int key) const
{
    // Held with Ctrl, Alt or Shift by a slip of the hand, or meant for an action that is off
    // now (Shift+F8 with no remote controller): such a key may stop, move and change the
    // tempo and offset (the main keyboard's plus is Shift+=), never fire, boost, arm, start,
    // load, clear, write, search or switch the slot or the modules' mode.
    if (key == FunctionKey(6) || key == kVkEscape || EndsSearchOrTest(key) ||
        IsNavigationKey(key) || IsTempoOrOffsetKey(key))
        return false;
    if (!TestPageShown())
        return true;
    // On the test page F1 tests the channels, with Ctrl held too; keys the page does not
    // take go on to its fields (Ctrl+A in the energy setting).
    return key != FunctionKey(1) && (IsFunctionKeyCode(key) || key == kVkTab ||
                                     key == kVkInsert || key == kVkDelete);
}

bool TMainForm::ShortCut(const TKeyPress& press)
{
    const int key = press.key;
    const bool warningShown = warning_ && warning_->isVisible();
    if (!isActiveWindow() && !warningShown)
        return false;
    // A stop is never refused: not with a modifier, not as a held key's repeat, not under
    // the red warning (a show started by mouse behind it).
    if (StopsShow(key)) {
        if (warningShown && !press.autoRepeat)
            warning_->hide();
        StopBtnClick();
        return true;
    }
    // One press, one effect; only the keys that move through a list go on while held.
    if (press.autoRepeat && (warningShown || !IsNavigationKey(key)))
        return true;
    // The key that acknowledges the warning does nothing else: after a stop heard on the
    // bus, a start key that also started would restart the show at once. Ending a search or
    // a channel test is a stop too.
    if (warningShown) {
        warning_->hide();
        if (!EndsSearchOrTest(key))
            return true;
    }
    if (key == kRefusedKey || (press.modified && RefusedWithModifier(key)))
        return true;
    // A report that came up after a show must not need Ctrl+F6 first to be closed; Esc still
    // does what the console gives it as well.
    bool handled = key == kVkEscape && CloseReports();
    handled = GeneralKey(key) || handled;
    if (TestPageShown())
        return TestPageKey(key) || handled;
    handled = ManualFireKey(key) || handled;
    handled = StepFireKey(key) || handled;
    return LaunchPageKey(key) || handled;
}

bool TMainForm::GeneralKey(int key)
{
    switch (key) {
    case kVkTab:
        return Press(*devices_->testBtn);
    case kVkPageUp:
        return MoveCueRow(-1);
    case kVkPageDown:
        return MoveCueRow(1);
    case FunctionKey(10):
        return Press(*devices_->searchBtn);
    case FunctionKey(11):
        Press(*devices_->testModeBtn);
        return false;
    case FunctionKey(12):
        Press(*devices_->fireModeBtn);
        return false;
    default:
        return false;
    }
}

bool TMainForm::MoveCueRow(int step)
{
    QTreeWidget& list = *launch_->cueList;
    if (ScenarioEmpty() || !list.currentItem())
        return false;
    const int row = list.indexOfTopLevelItem(list.currentItem()) + step;
    if (row < 0 || row >= list.topLevelItemCount())
        return false;
    QTreeWidgetItem* item = list.topLevelItem(row);
    list.setCurrentItem(item);
    list.setFocus();
    list.scrollToItem(item);
    return true;
}

bool TMainForm::TestPageKey(int key)
{
    TTestPage& page = *test_;
    switch (key) {
    case kVkUp:
        return Press(*page.upBtn);
    case kVkDown:
        return Press(*page.downBtn);
    case kVkInsert:
    case kVkDelete: {
        TCommonControl* module = SelectedModule();
        if (!BoostableModule(module))
            return false;
        if (!testRunning_ && controls_->FiringModuleCount() > 0)
            SetModuleBoost(*module, key == kVkDelete);
        return true;
    }
    case FunctionKey(1):
        return Press(*page.controlTestBtn);
    case FunctionKey(2):
        return Press(*page.testAllBtn);
    case FunctionKey(3):
        return Press(*page.testStopBtn);
    case FunctionKey(4):
        return Press(*page.saveChannelsBtn);
    case FunctionKey(5):
        return player_->Soundtrack().Loaded() && Press(*page.soundTestBtn);
    case FunctionKey(6):
        return Press(*page.soundVolBtn);
    default:
        return false;
    }
}

bool TMainForm::ManualFireKey(int key)
{
    const auto found = std::find(kManualKeys.begin(), kManualKeys.end(), key);
    if (!player_->IsRunning() || player_->Setup().firingMode == kFiringAutomatic ||
        found == kManualKeys.end() || !ManualModuleValid())
        return false;
    const TCommonControl& module = *ManualModule();
    const int channel =
        manualPage_ * TManualKeyboard::kKeys + static_cast<int>(found - kManualKeys.begin());
    // The last page's blank keys have no channel behind them.
    if (channel >= module.channelCount)
        return true;
    const int address = module.address;
    player_->FireByHand(address, channel, [this, address, channel](bool fired) {
        const TMessage refused =
            player_->ChannelLockedOut(address, channel) ? kMsgLockedOutShot : kMsgManualShotCancelled;
        WriteLog(fired ? ShotLine(12, "Ручной запуск, пульт:", address, channel)
                       : ShotLine(refused.id, refused.text, address, channel));
    });
    return true;
}

bool TMainForm::StepFireKey(int key)
{
    const TProjectList& scenario = *projects_.Project(currentSlot_);
    if (key != kStepKey || !player_->IsRunning() || player_->Setup().firingMode != kFiringManual ||
        scenario.Count() == 0)
        return false;
    // The last step still charges a high-voltage module: one step at a time.
    if (player_->HandShotsWaiting())
        return true;
    const int32_t first = player_->NextCue();
    if (first < 0 || first >= scenario.Count())
        return true;
    const int32_t time = scenario.Cue(first).time;
    int32_t end = first;
    while (end < scenario.Count() && scenario.Cue(end).time == time)
        ++end;
    // The step is taken before its shots: a shot refused at once, or later while the show runs,
    // does not take it again; only a stop gives a shot back.
    player_->StepPast(end);
    for (int32_t index = first; index < end; ++index) {
        const TCue& cue = scenario.Cue(index);
        // A motor cue names no igniter: firing its channel would set off a charge the
        // scenario never asked for. Logged, so the log does not read as if the motor moved.
        if (cue.IsMotor()) {
            WriteLog(Localize(kMsgSkippedCue) + " " + IntToText(cue.module) + ", " +
                     MotorWord(cue.kind));
            continue;
        }
        const TCueVerdict verdict = player_->Judge(index);
        if (verdict == TCueVerdict::LockedOut) {
            player_->PassLockedCue(index);
            continue;
        }
        // Refused by the player, it must not read as fired in the show's record; one the
        // operator fired by key already is not fired twice.
        if (verdict == TCueVerdict::OutsideTables || verdict == TCueVerdict::TakenByHand) {
            WriteLog(ShotLine(kMsgSkippedCue.id, kMsgSkippedCue.text, cue.module, cue.channel));
            continue;
        }
        const int module = cue.module;
        const int channel = cue.channel;
        player_->FireByHand(module, channel, [this, module, channel, index](bool fired) {
            if (fired) {
                WriteLog(ShotLine(14, "Пошаговый запуск, пульт:", module, channel));
                return;
            }
            const TMessage refused = player_->ChannelLockedOut(module, channel)
                                         ? kMsgLockedOutShot
                                         : kMsgStepShotCancelled;
            WriteLog(ShotLine(refused.id, refused.text, module, channel));
            // Refused while the show runs: a locked position fires its channel.
            if (player_->IsRunning()) {
                player_->PassLockedShot(index);
                return;
            }
            // Dropped by a stop, it is the cue still to fire.
            player_->SetStartPoint(player_->CurrentTime(), std::min(player_->NextCue(), index));
        });
    }
    QTreeWidget& list = *launch_->cueList;
    if (QTreeWidgetItem* row = list.topLevelItem(player_->NextCue())) {
        list.setCurrentItem(row);
        list.setFocus();
        list.scrollToItem(row);
    }
    return true;
}

bool TMainForm::LaunchPageKey(int key)
{
    const bool running = player_->IsRunning();
    const bool manualModes = player_->Setup().firingMode != kFiringAutomatic;
    const bool free = !searching_ && !testRunning_;
    TLaunchPage& page = *launch_;
    switch (key) {
    case kVkReturn:
        if (launchState_ == kLaunchRunning)
            return false;
        SetStartPoint();
        return true;
    case kVkEscape:
        if (launchState_ == kLaunchIdle && searching_)
            return Press(*devices_->searchBtn);
        if (StandbyShowRunning()) {
            StopBtnClick();
            return true;
        }
        if (launchState_ == kLaunchReady) {
            launchState_ = kLaunchIdle;
            UpdateButtons();
            return true;
        }
        if (launchState_ == kLaunchRunning) {
            StopBtnClick();
            return true;
        }
        return false;
    case kVkLeft:
    case kVkRight:
    case kVkUp:
    case kVkDown:
        if (!manualModes)
            return false;
        ManualArrowKey(key);
        return true;
    case kVkInsert:
    case kVkDelete: {
        TCommonControl* module = ManualModule();
        if (!manualModes || !BoostableModule(module))
            return false;
        SetModuleBoost(*module, key == kVkDelete);
        return true;
    }
    case kVkMultiply:
    case kVkDivide:
        ChangeTempo(key == kVkMultiply ? kTempoStep : -kTempoStep);
        return true;
    case kVkAdd:
    case kVkEqualPlus:
    case kVkSubtract:
    case kVkMinus:
        ChangeOffset(key == kVkAdd || key == kVkEqualPlus ? kOffsetStepMs : -kOffsetStepMs);
        return true;
    case FunctionKey(1):
        if (!free || running || launchState_ == kLaunchRunning || StandbyShowRunning())
            return false;
        ToggleArming();
        return true;
    case FunctionKey(2):
        return Press(*page.projectBtn);
    case FunctionKey(3):
        return Press(*page.soundBtn);
    case FunctionKey(4):
        return Press(*page.beginBtn);
    case FunctionKey(6): {
        // The stop key ends the timecode wait as Esc does: a stop reflex must not leave a show
        // that starts itself.
        const bool waitEnded = EndWait();
        return Press(*page.stopBtn) || waitEnded;
    }
    case FunctionKey(8):
        return Press(*page.saveBtn);
    case FunctionKey(9):
        return Press(*page.checkBtn);
    default:
        break;
    }
    if (key >= '1' && key <= '8') {
        if (!free || running || launchState_ != kLaunchIdle)
            return false;
        SwitchSlot(key - '1');
        return true;
    }
    if (key == settings_.startKey && !NamedByLaunchTable(key))
        return Press(*page.startBtn);
    return false;
}

}  // namespace kv
