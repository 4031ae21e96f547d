#include "console/dialogs/MemoryForm.h"

#include "console/dialogs/DialogButtons.h"
#include "console/dialogs/FileDialog.h"
#include "console/widgets/Colors.h"
#include "console/widgets/Fonts.h"
#include "console/widgets/Widgets.h"
#include "support/platform/Platform.h"

#include <QLabel>
#include <QProgressBar>
#include <QVBoxLayout>

namespace kv {

namespace {

QFont TitleFont(double points)
{
    return ConsoleFont(points, true);
}

}  // namespace

TMemoryForm::TMemoryForm(QWidget* mainForm, TControls& controls)
    : TAuxForm(mainForm, "TMemoryForm", {}),
      operation_(controls),
      title_(nullptr),
      label1_(MakeLabel(this, "Label1", {})),
      gauge_(new QProgressBar(this)),
      saveDialog_(new TFileDialog(this, "SaveDialog", operation_.saveFilter))
{
    setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                   Qt::WindowStaysOnTopHint);
    setWindowModality(Qt::ApplicationModal);
    setMinimumSize(Scaled(383), Scaled(148));

    auto* header = new QWidget(this);
    header->setObjectName("HeaderPanel");
    header->setAutoFillBackground(true);
    QPalette white = header->palette();
    white.setColor(QPalette::Window, Qt::white);
    header->setPalette(white);
    title_ = MakeLabel(header, "TextLabel", {});
    title_->setFont(TitleFont(12));
    (new QVBoxLayout(header))->addWidget(title_);

    label1_->setFont(TitleFont(9));
    gauge_->setObjectName("Gauge");
    gauge_->setTextVisible(false);
    QPalette navy = gauge_->palette();
    navy.setColor(QPalette::Highlight, kNavy);
    gauge_->setPalette(navy);

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 8);
    layout->addWidget(header);
    auto* body = new QVBoxLayout;
    body->setContentsMargins(10, 0, 10, 0);
    body->addWidget(label1_);
    body->addWidget(gauge_);
    body->addLayout(AddDialogButtons(*this, nullptr, {}, "CancelBtn", "Отмена"));
    layout->addLayout(body);

    operation_.OnBegin = [this](const std::string& title) { Begin(title); };
    operation_.OnStep = [this](int percent, const std::string& label) { Step(percent, label); };
    operation_.OnEnd = [this] { End(); };
}

int TMemoryForm::ReadBlackBoxToFile()
{
    operation_.saveFilter = saveDialog_->Filter();
    return operation_.ReadBlackBoxToFile();
}

void TMemoryForm::reject()
{
    operation_.cancelRequested = true;
}

void TMemoryForm::Begin(const std::string& title)
{
    title_->setText(QString::fromStdString(title));
    label1_->clear();
    gauge_->setValue(0);
    CentreOnOwner();
    show();
    repaint();
}

void TMemoryForm::Step(int percent, const std::string& label)
{
    // A black-box read steps thousands of times a module: paint only what changed.
    if (gauge_->value() != percent) {
        gauge_->setValue(percent);
        gauge_->repaint();
    }
    const QString text = QString::fromStdString(label);
    if (label1_->text() != text) {
        label1_->setText(text);
        label1_->repaint();
    }
    // How "Отмена" gets in while the operation holds the main thread.
    Platform().ProcessMessages();
}

void TMemoryForm::End()
{
    hide();
}

}  // namespace kv
