#include "console/dialogs/WarningForm.h"

#include "console/widgets/Fonts.h"
#include "console/widgets/Widgets.h"

#include <QKeyEvent>
#include <QLabel>
#include <QTimer>
#include <QVBoxLayout>

namespace kv {

TWarningForm::TWarningForm(QWidget* mainForm)
    : TAuxForm(mainForm, "TWarningForm", "Предупреждение"),
      text_(MakeLabel(this, "TextLabel", "Error !!!")),
      timer_(new QTimer(this))
{
    setWindowFlags(Qt::Dialog | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint);
    setAttribute(Qt::WA_ShowWithoutActivating);
    // As wide as ever; as high as its text needs.
    setFixedWidth(Scaled(486));
    setMinimumHeight(Scaled(95));
    setAutoFillBackground(true);
    QPalette palette = this->palette();
    palette.setColor(QPalette::Window, Qt::red);
    palette.setColor(QPalette::WindowText, Qt::white);
    setPalette(palette);
    text_->setFont(ConsoleFont(15, true));
    text_->setAlignment(Qt::AlignCenter);
    text_->setWordWrap(true);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(text_);
    timer_->setSingleShot(true);
    timer_->setInterval(kShowMs);
    connect(timer_, &QTimer::timeout, this, &QWidget::hide);
}

void TWarningForm::ShowWarning(const std::string& text)
{
    text_->setText(QString::fromStdString(text));
    adjustSize();
    timer_->start();
    CentreOnOwner();
    QWidget* main = parentWidget();
    const bool mainHadKeys = main && main->isActiveWindow();
    show();
    // Drawn now, even when the main thread stays busy with the bus.
    repaint();
    // The main window keeps the keys, also where the system activates every new window: its
    // stop key must work while the warning shows.
    if (mainHadKeys)
        main->activateWindow();
}

QString TWarningForm::Text() const
{
    return text_->text();
}

void TWarningForm::keyPressEvent(QKeyEvent* event)
{
    if (!event->text().isEmpty())
        hide();
    else
        TAuxForm::keyPressEvent(event);
}

void TWarningForm::hideEvent(QHideEvent* event)
{
    timer_->stop();
    // Without a window manager nobody hands the keys back: the stop key would go nowhere.
    if (isActiveWindow())
        if (QWidget* main = parentWidget())
            main->activateWindow();
    TAuxForm::hideEvent(event);
}

}  // namespace kv
