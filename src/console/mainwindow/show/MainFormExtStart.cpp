// The start at a time of day or on an external start command (Ctrl+F5).
#include "console/mainwindow/MainForm.h"

#include "console/dialogs/ExtStartForm.h"
#include "console/dialogs/TimerForm.h"
#include "show/player/ExtPlayer.h"
#include "show/player/launch/ShowLaunch.h"
#include "support/lang/AddedMessages.h"
#include "support/platform/Platform.h"
#include "support/log/RunLog.h"

#include <QTime>

namespace kv {

namespace {

// Logged and told; false, for the caller to return.
bool Refuse(const std::string& text)
{
    WriteLog(text);
    Platform().MessageBox(text, Localize(66, "Ошибка"), TButtons::Ok);
    return false;
}

}  // namespace

void TMainForm::ExtStartActionExecute()
{
    // Its window keeps the keys until the operator closes it.
    TStartGate gate = StartGate();
    if (gate.Open(TStartGate::TWay::Wait) != TStartVerdict::Open)
        return;
    const std::optional<TStartChoice> choice = aux_.extStart->Ask(QTime::currentTime());
    // Asked before the wait: a start by the clock or from the bus must not wait on a question.
    // A stop heard on the bus while a window was open has called the start off.
    const bool calledOff = !choice || gate.Confirm(TStartGate::TWay::Wait) != TStartVerdict::Open;
    if (choice && !calledOff && choice->byClock) {
        TimedStart(choice->time);
    } else if (choice && !calledOff) {
        player_->armed = true;
        // The start disarms the player: a show over before the window looks again has still
        // been started.
        aux_.timer->CountUp(Localize(71, "Ожидание команды запуска..."),
                            [this] { return player_->IsRunning() || !player_->armed; });
        player_->armed = false;
    }
    TakeKeysBack();
}

void TMainForm::TimedStart(const QTime& at)
{
    TStartGate gate = StartGate();
    // Only the times of day count: 00:05 chosen at 23:55 lies in the past.
    const int64_t ahead = QTime::currentTime().msecsTo(at);
    bool start = false;
    if (ahead <= 0) {
        // A start at once must be the operator's decision, not a slip of the picker.
        start = Platform().MessageBox(Localize(kMsgStartTimePassed),
                                      Localize(59, "Подтверждение"),
                                      TButtons::YesNo) == TAnswer::Yes;
    } else {
        start = aux_.timer->CountDown(Localize(70, "Время до запуска:"), ahead);
    }
    // A stop heard on the bus, a converter gone or a key let go while the question was open
    // calls the start off; a show started meanwhile is not started again.
    if (start && gate.StillOpen() == TStartVerdict::Open)
        StartShow(*player_);
}

TStartGate TMainForm::StartGate()
{
    TStartGate gate(*player_, {[this] { return DeadManLetsStart(); },
                               [this] { return !converterFault_; },
                               [this] { return GoNoGoLetsStart(); },
                               [this] { return OperatorAllowsStart(); },
                               [this] { return remoteStops_; },
                               [](const std::string& why) { Refuse(why); }});
    gate.Mark();
    return gate;
}

bool TMainForm::EndStartWaits()
{
    bool ended = EndWait();
    if (aux_.timer && aux_.timer->isVisible()) {
        aux_.timer->reject();
        ended = true;
    }
    // Cleared at once: a start message dispatched before the wait's window returns must
    // find the player no longer armed.
    if (player_->armed) {
        player_->armed = false;
        ended = true;
    }
    return ended;
}

}  // namespace kv
