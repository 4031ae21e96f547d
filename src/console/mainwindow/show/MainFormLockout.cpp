// Positions of the show locked out (Ctrl+L, the "Сценарий" menu): their cues still to come are
// passed over; the cue list strikes them out.
#include "console/mainwindow/MainForm.h"

#include "console/dialogs/LockoutForm.h"
#include "console/panels/launch/LaunchPage.h"
#include "show/player/ExtPlayer.h"
#include "show/scenario/ProjectList.h"

#include <QFont>
#include <QTreeWidget>

namespace kv {

void TMainForm::LockoutActionExecute()
{
    // Also while the show runs: the console's stop keys work in every window of it.
    TLockoutForm window(this, *player_, [this] { MarkLockedCues(); });
    window.Ask();
    TakeKeysBack();
}

void TMainForm::MarkLockedCues()
{
    const TProjectList& scenario = *projects_.Project(currentSlot_);
    QTreeWidget& list = *launch_->cueList;
    for (int row = 0; row < list.topLevelItemCount() && row < scenario.Count(); ++row) {
        QTreeWidgetItem& item = *list.topLevelItem(row);
        const bool locked = player_->PositionLocked(scenario.Cue(row).position);
        for (int column = 0; column < list.columnCount(); ++column) {
            QFont font = item.font(column);
            font.setStrikeOut(locked);
            item.setFont(column, font);
        }
    }
}

}  // namespace kv
