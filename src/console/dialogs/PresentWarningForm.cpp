#include "console/dialogs/PresentWarningForm.h"

#include "console/dialogs/DialogButtons.h"
#include "console/widgets/Fonts.h"
#include "console/widgets/Widgets.h"
#include "devices/memory/ScenarioChecks.h"

#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPlainTextEdit>
#include <QStyle>
#include <QVBoxLayout>

namespace kv {

TPresentWarningForm::TPresentWarningForm(QWidget* mainForm)
    : TAuxForm(mainForm, "TPresentWarningForm", "Предупреждение"),
      message_(MakeLabel(this, "MessageLabel", {})),
      modules_(new QPlainTextEdit(this))
{
    auto* picture = MakeLabel(this, "WarningImage", {});
    picture->setPixmap(style()->standardIcon(QStyle::SP_MessageBoxWarning).pixmap(48, 48));
    QFont bold = message_->font();
    bold.setBold(true);
    message_->setFont(bold);
    message_->setWordWrap(true);

    auto* group = new QGroupBox(" Список пультов (ID) ", this);
    group->setObjectName("ModulesGroup");
    modules_->setObjectName("ModulesMemo");
    modules_->setReadOnly(true);
    modules_->setFrameShape(QFrame::NoFrame);
    (new QVBoxLayout(group))->addWidget(modules_);

    auto* top = new QHBoxLayout;
    top->addWidget(picture, 0, Qt::AlignTop);
    top->addWidget(message_, 1);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(top);
    layout->addWidget(group, 1);
    layout->addLayout(AddDialogButtons(*this, "ContinueBtn", "Продолжить", "CancelBtn", "Отмена"));
    setMinimumSize(Scaled(400), Scaled(260));
}

bool TPresentWarningForm::Ask(const std::string& message, const std::vector<int>& modules)
{
    modules_->clear();
    modules_->setPlainText(QString::fromStdString(ModuleListText(modules)));
    message_->setText(QString::fromStdString(message));
    CentreOnOwner();
    // Enter goes on and Space (a start key) answers nothing, whichever button the last answer
    // left the focus on: on Cancel, Enter cancelled; on a button, Space pressed it.
    modules_->setFocus();
    return exec() == QDialog::Accepted;
}

QString TPresentWarningForm::Message() const
{
    return message_->text();
}

QString TPresentWarningForm::Modules() const
{
    return modules_->toPlainText();
}

}  // namespace kv
