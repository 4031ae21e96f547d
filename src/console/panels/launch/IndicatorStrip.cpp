#include "console/panels/launch/IndicatorStrip.h"

#include "console/widgets/Colors.h"
#include "console/panels/launch/PowerIndicator.h"
#include "console/widgets/Shape.h"
#include "console/widgets/Widgets.h"

#include <QFrame>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>

namespace kv {

namespace {

using TLampRow = std::pair<QWidget*, QWidget*>;

QFrame* Column(QWidget* parent, const QString& name, const QString& caption,
               std::initializer_list<TLampRow> rows)
{
    auto* frame = new QFrame(parent);
    frame->setFrameShape(QFrame::StyledPanel);
    auto* grid = new QGridLayout(frame);
    grid->addWidget(MakeLabel(frame, name, caption), 0, 0, 1, 2, Qt::AlignHCenter);
    int row = 1;
    for (const auto& [lamp, label] : rows) {
        lamp->setParent(frame);
        label->setParent(frame);
        grid->addWidget(lamp, row, 0);
        grid->addWidget(label, row, 1);
        ++row;
    }
    return frame;
}

TLampRow Row(const TIndicator& indicator)
{
    return {indicator.led, indicator.label};
}

}  // namespace

TIndicatorStrip::TIndicatorStrip(QWidget* parent)
    : QWidget(parent),
      wait(this, "Wait", "Ожидание"),
      work(this, "Work", "Работа"),
      workAuto(this, "WorkAuto", "Автомат"),
      workManual(this, "WorkManual", "Ручной"),
      direct(this, "Direct", "Прямое упр."),
      autonomous(this, "Autonomous", "Автономный"),
      rs485(new TShape("RS485", this)),
      rs485Label(MakeLabel(this, "RS485Label", "RS485: 0")),
      power(new TPowerIndicator(this))
{
    rs485->SetColor(kGreen);
    auto* row = new QHBoxLayout(this);
    row->setContentsMargins(0, 0, 0, 0);
    row->addWidget(Column(this, "LaunchKeyCaption", "<F1>", {Row(wait), Row(work)}));
    row->addWidget(
        Column(this, "ModeKeyCaption", "<Ctrl>+<F1>", {Row(workAuto), Row(workManual)}));
    row->addWidget(
        Column(this, "ControlKeyCaption", "<Shift>+<F1>", {Row(direct), Row(autonomous)}));
    row->addWidget(Column(this, "DevicesCaption", "Устройства", {{rs485, rs485Label}}));
    auto* supply = new QFrame(this);
    supply->setFrameShape(QFrame::StyledPanel);
    auto* box = new QHBoxLayout(supply);
    power->setParent(supply);
    box->addWidget(power);
    row->addWidget(supply);
}

}  // namespace kv
