// The start at a time of day or on an external start command (Ctrl+F5).
#include "console/MainForm.h"

#include "console/ExtStartForm.h"
#include "console/TimerForm.h"
#include "show/ExtPlayer.h"
#include "support/AddedMessages.h"
#include "support/Platform.h"

#include <QTime>

namespace kv {

void TMainForm::ExtStartActionExecute()
{
    const std::optional<TStartChoice> choice = aux_.extStart->Ask(QTime::currentTime());
    if (choice && choice->byClock) {
        TimedStart(choice->time);
    } else if (choice) {
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
    // Only the times of day count: 00:05 chosen at 23:55 lies in the past.
    const int64_t ahead = QTime::currentTime().msecsTo(at);
    if (ahead <= 0) {
        // A start at once must be the operator's decision, not a slip of the picker.
        if (Platform().MessageBox(Localize(kMsgStartTimePassed), Localize(59, "Подтверждение"),
                                  TButtons::YesNo) == TAnswer::Yes)
            StartBtnClick();
        return;
    }
    if (aux_.timer->CountDown(Localize(70, "Время до запуска:"), ahead))
        StartBtnClick();
}

}  // namespace kv
