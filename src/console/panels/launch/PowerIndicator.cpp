#include "console/panels/launch/PowerIndicator.h"

#include "console/widgets/Colors.h"
#include "console/widgets/Fonts.h"
#include "console/widgets/Shape.h"
#include "console/widgets/Widgets.h"

#include <QGridLayout>
#include <QLabel>
#include <QProgressBar>

namespace kv {

namespace {

constexpr uint8_t kNoSystemBattery = 0x80;
constexpr uint8_t kOnMains = 1;
constexpr uint8_t kUnknownCharge = 255;
constexpr int kLowCharge = 30;

}  // namespace

TPowerIndicator::TPowerIndicator(QWidget* parent)
    : QWidget(parent),
      dcLed(new TShape("DCLed", this)),
      dcLabel(MakeLabel(this, "DCLabel", "Батарея")),
      percentLed(MakeLabel(this, "PowerPercLed", "")),
      gauge(new QProgressBar(this))
{
    gauge->setObjectName("PowerProgressor");
    gauge->setRange(0, 100);
    gauge->setTextVisible(false);
    gauge->setFixedHeight(Scaled(10));
    auto* layout = new QGridLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(MakeLabel(this, "PowerCaption", "Питание ПК"), 0, 0, 1, 3, Qt::AlignHCenter);
    layout->addWidget(dcLed, 1, 0);
    layout->addWidget(dcLabel, 1, 1);
    layout->addWidget(percentLed, 1, 2);
    layout->addWidget(gauge, 2, 0, 1, 3);
}

int TPowerIndicator::Show(const TPowerStatus* status)
{
    if (!status) {
        dcLed->SetColor(NeutralColor());
        SetTextColor(*dcLabel, NormalTextColor());
        percentLed->hide();
        gauge->hide();
        gauge->setValue(0);
        return 0;
    }
    const bool onBattery =
        !(status->batteryFlag & kNoSystemBattery) && status->acLineStatus != kOnMains;
    const uint8_t charge = status->batteryLifePercent;
    if (!onBattery) {
        dcLed->SetColor(NeutralColor());
        SetTextColor(*dcLabel, NormalTextColor());
    } else if (charge >= kLowCharge) {
        dcLed->SetColor(kGreen);
        SetTextColor(*dcLabel, kBlack);
    } else {
        dcLed->SetColor(kRed);
        SetTextColor(*dcLabel, NormalTextColor());
    }
    const bool known = charge != kUnknownCharge;
    percentLed->setVisible(known);
    gauge->setVisible(known);
    const int percent = known ? charge : 100;
    percentLed->setText(QString::number(percent) + "%");
    gauge->setValue(percent);
    return percent;
}

}  // namespace kv
