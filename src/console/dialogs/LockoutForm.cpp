#include "console/dialogs/LockoutForm.h"

#include "console/dialogs/DialogButtons.h"
#include "console/widgets/Fonts.h"
#include "console/widgets/Widgets.h"
#include "show/player/CommonPlayer.h"
#include "show/player/launch/PositionLockout.h"
#include "show/scenario/ProjectList.h"
#include "support/lang/AddedMessages.h"

#include <QLabel>
#include <QListWidget>
#include <QVBoxLayout>

namespace kv {

TLockoutForm::TLockoutForm(QWidget* mainForm, TCommonPlayer& player,
                           std::function<void()> changed)
    : TAuxForm(mainForm, "TLockoutForm", "Блокировка позиций"), player_(player),
      changed_(std::move(changed))
{
    list_ = new QListWidget(this);
    list_->setObjectName("PositionList");
    state_ = MakeLabel(this, "StateLabel", {});
    state_->setWordWrap(true);
    const std::span<const TCue> cues =
        player_.Setup().scenario ? player_.Setup().scenario->Cues() : std::span<const TCue>();
    for (const std::string& position : TPositionLockout::Positions(cues)) {
        auto* item = new QListWidgetItem(QString::fromStdString(position), list_);
        item->setFlags(Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemIsUserCheckable);
        item->setCheckState(player_.PositionLocked(position) ? Qt::Checked : Qt::Unchecked);
    }
    list_->setCurrentRow(0);
    connect(list_, &QListWidget::itemChanged, this, [this](QListWidgetItem* item) { Switch(*item); });

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(state_);
    layout->addWidget(list_, 1);
    layout->addLayout(AddDialogButtons(*this, nullptr, {}, "CloseBtn", "Закрыть"));
    resize(Scaled(360), Scaled(420));
    ShowState();
}

void TLockoutForm::Ask()
{
    CentreOnOwner();
    exec();
}

void TLockoutForm::Switch(QListWidgetItem& item)
{
    const bool locked = item.checkState() == Qt::Checked;
    if (!player_.LockPosition(item.text().toStdString(), locked)) {
        const QSignalBlocker blocker(list_);
        item.setCheckState(locked ? Qt::Unchecked : Qt::Checked);
    } else if (changed_) {
        changed_();
    }
    ShowState();
}

void TLockoutForm::ShowState()
{
    const bool autonomous = player_.Setup().controlMode == kControlAutonomous;
    list_->setEnabled(!autonomous && list_->count() > 0);
    std::string text;
    if (autonomous)
        text = Localize(kMsgLockoutAutonomous);
    else if (list_->count() == 0)
        text = Localize(kMsgLockoutNoPositions);
    else
        text = Localize(kMsgLockedPositions) + " " +
               std::to_string(player_.LockedPositions().size());
    state_->setText(QString::fromStdString(text));
    state_->setStyleSheet(autonomous ? "color: red" : "");
}

}  // namespace kv
