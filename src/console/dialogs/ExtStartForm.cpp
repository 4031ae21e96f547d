#include "console/dialogs/ExtStartForm.h"

#include "console/dialogs/DialogButtons.h"
#include "console/widgets/Fonts.h"
#include "console/widgets/Widgets.h"

#include <QGridLayout>
#include <QGroupBox>
#include <QLabel>
#include <QRadioButton>
#include <QTimeEdit>
#include <QVBoxLayout>

namespace kv {

TExtStartForm::TExtStartForm(QWidget* mainForm)
    : TAuxForm(mainForm, "TExtStartForm", "Запуск")
{
    auto* group = new QGroupBox(" Условие запуска ", this);
    group->setObjectName("ConditionGroup");
    external_ = new QRadioButton("От внешней команды запуска", group);
    external_->setObjectName("ExternalRadio");
    external_->setChecked(true);
    clock_ = new QRadioButton("По системным часам", group);
    clock_->setObjectName("ClockRadio");
    time_ = new QTimeEdit(group);
    time_->setObjectName("TimePicker");
    time_->setDisplayFormat("H:mm:ss");
    auto* grid = new QGridLayout(group);
    grid->addWidget(external_, 0, 0, 1, 2);
    grid->addWidget(clock_, 1, 0, 1, 2);
    grid->addWidget(MakeLabel(group, "TimeLabel", "время запуска:"), 2, 0);
    grid->addWidget(time_, 2, 1);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(group);
    // Its own StartBtn: the language file finds it under TExtStartForm only.
    layout->addLayout(AddDialogButtons(*this, "StartBtn", "Запуск", "CancelBtn", "Отмена"));
    setMinimumWidth(Scaled(320));
}

std::optional<TStartChoice> TExtStartForm::Ask(const QTime& now)
{
    time_->setTime(now);
    CentreOnOwner();
    if (exec() != QDialog::Accepted)
        return std::nullopt;
    return TStartChoice{clock_->isChecked(), time_->time()};
}

}  // namespace kv
