#include "console/dialogs/LockoutForm.h"

#include "console/dialogs/DialogButtons.h"
#include "console/mainwindow/VirtualKeys.h"
#include "console/widgets/Widgets.h"
#include "show/CommonPlayer.h"
#include "show/PositionLockout.h"
#include "show/ProjectList.h"
#include "support/AddedMessages.h"

#include <QKeyEvent>
#include <QLabel>
#include <QListWidget>
#include <QVBoxLayout>
#include <QWindow>

namespace kv {

TLockoutForm::TLockoutForm(QWidget* mainForm, TCommonPlayer& player, std::function<void()> stop,
                           std::function<void()> changed)
    : TAuxForm(mainForm, "TLockoutForm", "Блокировка позиций"), player_(player),
      stop_(std::move(stop)), changed_(std::move(changed))
{
    list_ = new QListWidget(this);
    list_->setObjectName("PositionList");
    state_ = MakeLabel(this, "StateLabel", {});
    state_->setWordWrap(true);
    const std::span<const TCue> cues =
        player_.scenario ? player_.scenario->Cues() : std::span<const TCue>();
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
    resize(360, 420);
    ShowState();
}

void TLockoutForm::Ask()
{
    CentreOnOwner();
    exec();
}

void TLockoutForm::showEvent(QShowEvent* event)
{
    TAuxForm::showEvent(event);
    // Taken where the window receives the key, before the list sees it.
    if (QWindow* window = windowHandle())
        window->installEventFilter(this);
}

bool TLockoutForm::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == windowHandle() && event->type() == QEvent::KeyPress &&
        StopKey(VirtualKey(static_cast<const QKeyEvent&>(*event))))
        return true;
    return TAuxForm::eventFilter(watched, event);
}

void TLockoutForm::keyPressEvent(QKeyEvent* event)
{
    // A key sent to a control of the window, past the window itself.
    if (!StopKey(VirtualKey(*event)))
        TAuxForm::keyPressEvent(event);
}

bool TLockoutForm::StopKey(int key)
{
    if (key != kVkEscape && key != FunctionKey(6))
        return false;
    // A stop is never refused, whatever else the window is doing; F6 is the console's stop key
    // with nothing running too (it ends a wait for the timecode).
    if (player_.IsRunning() || key == FunctionKey(6))
        stop_();
    if (key == kVkEscape)
        reject();
    return true;
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
    const bool autonomous = player_.controlMode == kControlAutonomous;
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
