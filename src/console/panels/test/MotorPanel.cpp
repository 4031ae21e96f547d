#include "console/panels/test/MotorPanel.h"

#include "console/widgets/Widgets.h"
#include "support/text/Conversions.h"

#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QSlider>
#include <QVBoxLayout>

namespace kv {

namespace {

constexpr int kFullScale = 255;
constexpr int kDurationUnitMs = 100;

QSlider* MakeSlider(QWidget* parent, const QString& name)
{
    auto* slider = new QSlider(Qt::Horizontal, parent);
    slider->setObjectName(name);
    slider->setRange(0, kFullScale);
    slider->setValue(kFullScale);
    return slider;
}

}  // namespace

TMotorPanel::TMotorPanel(QWidget* parent) : QFrame(parent)
{
    setObjectName("MotorPanel");
    setFrameShape(QFrame::StyledPanel);
    speedSlider = MakeSlider(this, "SpeedSlider");
    timeSlider = MakeSlider(this, "TimeSlider");
    speedLabel = MakeLabel(this, "MotorSpeedLabel", "");
    timeLabel = MakeLabel(this, "MotorTimeLabel", "");
    auto* sliders = new QGridLayout;
    sliders->addWidget(MakeLabel(this, "SpeedCaption", "Скорость:"), 0, 0);
    sliders->addWidget(speedSlider, 0, 1);
    sliders->addWidget(speedLabel, 0, 2);
    sliders->addWidget(MakeLabel(this, "TimeCaption", "Время:"), 1, 0);
    sliders->addWidget(timeSlider, 1, 1);
    sliders->addWidget(timeLabel, 1, 2);
    sliders->setColumnStretch(1, 1);

    leftBtn = MakeButton(this, "MotorLeftBtn", "Влево");
    centerBtn = MakeButton(this, "MotorCenterBtn", "Центр");
    rightBtn = MakeButton(this, "MotorRightBtn", "Вправо");
    rotateLeftBtn = MakeButton(this, "MotorRotateLeftBtn", "Вращение");
    rotateRightBtn = MakeButton(this, "MotorRotateRightBtn", "Вращение");
    auto* buttons = new QHBoxLayout;
    for (QPushButton* button : {leftBtn, centerBtn, rightBtn, rotateLeftBtn, rotateRightBtn})
        buttons->addWidget(button);

    auto* column = new QVBoxLayout(this);
    column->addLayout(sliders);
    column->addLayout(buttons);
    column->addStretch();
    connect(speedSlider, &QSlider::valueChanged, this, [this] { ShowReadings(); });
    connect(timeSlider, &QSlider::valueChanged, this, [this] { ShowReadings(); });
    ShowReadings();
}

int TMotorPanel::Speed() const
{
    return speedSlider->value();
}

int TMotorPanel::Duration() const
{
    return timeSlider->value();
}

void TMotorPanel::EnableMoves(bool enabled)
{
    for (QPushButton* button : {leftBtn, centerBtn, rightBtn, rotateLeftBtn, rotateRightBtn})
        button->setEnabled(enabled);
}

void TMotorPanel::ShowReadings()
{
    speedLabel->setText(QString::number(Speed() * 100.0 / kFullScale, 'f', 2) + " %");
    timeLabel->setText(QString::fromStdString(ClockText(Duration() * kDurationUnitMs, 2)));
}

}  // namespace kv
