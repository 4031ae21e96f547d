#include "console/dialogs/TimerForm.h"

#include "console/dialogs/DialogButtons.h"
#include "console/widgets/Colors.h"
#include "console/widgets/Fonts.h"
#include "console/widgets/Widgets.h"
#include "support/text/Conversions.h"
#include "support/platform/Platform.h"

#include <QLabel>
#include <QTimer>
#include <QVBoxLayout>

#include <algorithm>

namespace kv {

namespace {

const QString kClearedClock = "0:00:00.0";

}  // namespace

TTimerForm::TTimerForm(QWidget* mainForm)
    : TAuxForm(mainForm, "TTimerForm", "Ожидание запуска"),
      topLine_(MakeLabel(this, "TopLabel", {})),
      clock_(MakeLabel(this, "ClockLabel", kClearedClock)),
      timer_(new QTimer(this))
{
    clock_->setFont(ConsoleFont(50, true));
    clock_->setAlignment(Qt::AlignCenter);
    SetTextColor(*clock_, kNavy);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(topLine_);
    layout->addWidget(clock_, 1);
    layout->addLayout(AddDialogButtons(*this, nullptr, {}, "CancelBtn", "Отмена"));
    setMinimumSize(Scaled(420), Scaled(200));
    timer_->setObjectName("Timer");
    timer_->setInterval(kStepMs);
    connect(timer_, &QTimer::timeout, this, [this] { Step(); });
}

bool TTimerForm::CountDown(const std::string& topLine, int64_t remainingMs)
{
    startTick_ = Platform().TickCount();
    targetTick_ = startTick_ + static_cast<uint32_t>(remainingMs);
    started_ = nullptr;
    return Wait(topLine);
}

bool TTimerForm::CountUp(const std::string& topLine, std::function<bool()> started)
{
    startTick_ = Platform().TickCount();
    targetTick_.reset();
    started_ = std::move(started);
    return Wait(topLine);
}

bool TTimerForm::Wait(const std::string& topLine)
{
    topLine_->setText(QString::fromStdString(topLine));
    clock_->setText(kClearedClock);
    CentreOnOwner();
    const bool reached = exec() == QDialog::Accepted;
    started_ = nullptr;
    return reached;
}

void TTimerForm::Step()
{
    const uint32_t now = Platform().TickCount();
    if (targetTick_) {
        // Tick differences are taken modulo 2^32.
        const auto remaining = static_cast<int32_t>(*targetTick_ - now);
        clock_->setText(QString::fromStdString(kv::ClockText(std::max(remaining, 0), 1)));
        if (remaining <= 0)
            accept();
        return;
    }
    clock_->setText(QString::fromStdString(kv::ClockText(now - startTick_, 1)));
    if (started_ && started_())
        accept();
}

QString TTimerForm::ClockText() const
{
    return clock_->text();
}

void TTimerForm::showEvent(QShowEvent* event)
{
    TAuxForm::showEvent(event);
    timer_->start();
}

void TTimerForm::hideEvent(QHideEvent* event)
{
    timer_->stop();
    TAuxForm::hideEvent(event);
}

}  // namespace kv
