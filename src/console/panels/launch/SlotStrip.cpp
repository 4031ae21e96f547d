#include "console/panels/launch/SlotStrip.h"

#include "console/widgets/Colors.h"
#include "console/widgets/Shape.h"
#include "console/widgets/Widgets.h"
#include "support/text/Conversions.h"

#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>

namespace kv {

namespace {

QString Length(int32_t ms)
{
    return ms > 0 ? QString::fromStdString(ClockText(ms, 0)) : QString();
}

}  // namespace

TSlotStrip::TSlotStrip(QWidget* parent) : QFrame(parent)
{
    setObjectName("SlotPanel");
    setFrameShape(QFrame::StyledPanel);
    auto* grid = new QGridLayout(this);
    grid->setVerticalSpacing(2);
    grid->addWidget(MakeLabel(this, "ScenarioRowCaption", "С:"), 1, 0);
    grid->addWidget(MakeLabel(this, "SoundRowCaption", "Ф:"), 2, 0);
    for (int i = 0; i < kSlots; ++i) {
        const QString n = QString::number(i);
        auto* head = new QWidget(this);
        auto* headRow = new QHBoxLayout(head);
        headRow->setContentsMargins(0, 0, 0, 0);
        leds[i] = new TShape("PLed" + n, head);
        headRow->addWidget(leds[i]);
        headRow->addWidget(MakeLabel(head, "PNumber" + n, QString::number(i + 1)));
        headRow->addStretch();
        grid->addWidget(head, 0, i + 1);
        scenarioLabels[i] = MakeLabel(this, "PLabel" + n, "");
        soundtrackLabels[i] = MakeLabel(this, "SLabel" + n, "");
        grid->addWidget(scenarioLabels[i], 1, i + 1);
        grid->addWidget(soundtrackLabels[i], 2, i + 1);
        grid->setColumnStretch(i + 1, 1);
    }
}

void TSlotStrip::ShowSlot(int slot, int32_t scenarioMs, int32_t soundtrackMs, bool current)
{
    leds[slot]->SetColor(current ? kGreen : NeutralColor());
    SetTextColor(*scenarioLabels[slot], current ? kBlack : kNavy);
    SetTextColor(*soundtrackLabels[slot], current ? kBlack : kNavy);
    scenarioLabels[slot]->setText(Length(scenarioMs));
    soundtrackLabels[slot]->setText(Length(soundtrackMs));
}

}  // namespace kv
