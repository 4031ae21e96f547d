#include "console/panels/test/HVPanel.h"

#include "console/widgets/Widgets.h"
#include "devices/kinds/HVControl.h"

#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QSpinBox>
#include <QVBoxLayout>

#include <algorithm>

namespace kv {

namespace {

constexpr int kRowsPerBlock = 8;  // two blocks of eight channels fit the page's width
constexpr int kDefaultSetting = 15;

int PageCount(int channelCount)
{
    return std::max(1, (channelCount + THVPanel::kRows - 1) / THVPanel::kRows);
}

}  // namespace

THVPanel::THVPanel(QWidget* parent) : QFrame(parent)
{
    setObjectName("HVPanel");
    setFrameShape(QFrame::StyledPanel);
    auto* column = new QVBoxLayout(this);
    column->addWidget(MakeLabel(this, "HVTitle", "Тестирование каналов, установка напряжений"));
    auto* warning = MakeLabel(this, "HVWarning", "Внимание!");
    QFont bold = warning->font();
    bold.setBold(true);
    warning->setFont(bold);
    column->addWidget(warning);
    column->addWidget(MakeLabel(this, "HVWarning1", "При работе с пультами высокого напряжения"));
    column->addWidget(MakeLabel(this, "HVWarning2", "соблюдайте технику безопасности!"));

    seHVE = new QSpinBox(this);
    seHVE->setObjectName("seHVE");
    // Below the settings: a module whose setting could not be read.
    seHVE->setRange(kHVSettingUnknown, 255);
    seHVE->setSpecialValueText("?");
    seHVE->setValue(kDefaultSetting);
    prevPageBtn = MakeButton(this, "HVPrevPageBtn", "<<");
    nextPageBtn = MakeButton(this, "HVNextPageBtn", ">>");
    auto* setting = new QHBoxLayout;
    setting->addWidget(seHVE);
    setting->addStretch();
    setting->addWidget(prevPageBtn);
    setting->addWidget(nextPageBtn);
    column->addLayout(setting);

    auto* grid = new QGridLayout;
    for (int block = 0; block < kRows / kRowsPerBlock; ++block) {
        const int top = block * 4;
        grid->addWidget(MakeLabel(this, "HVResistCaption" + QString::number(block), "R, Ом:"),
                        top + 1, 0);
        grid->addWidget(MakeLabel(this, "HVVoltCaption" + QString::number(block), "U, в:"),
                        top + 2, 0);
    }
    for (int row = 0; row < kRows; ++row) {
        const QString index = QString::number(row);
        const int top = row / kRowsPerBlock * 4;
        const int x = row % kRowsPerBlock + 1;
        numbers[row] = MakeLabel(this, "HVChannel" + index, "");
        resistances[row] = MakeLabel(this, "HVResist" + index, "?");
        voltages[row] = MakeLabel(this, "HVVolt" + index, "?");
        chargeBtns[row] = MakeButton(this, "HVChargeBtn" + index, "Заряд");
        grid->addWidget(numbers[row], top, x);
        grid->addWidget(resistances[row], top + 1, x);
        grid->addWidget(voltages[row], top + 2, x);
        grid->addWidget(chargeBtns[row], top + 3, x);
    }
    column->addLayout(grid);
    column->addStretch();
    ShowPage(kRows);
}

bool THVPanel::TurnPage(int step, int channelCount)
{
    const int page = page_ + step;
    if (page < 0 || page >= PageCount(channelCount))
        return false;
    page_ = page;
    return true;
}

void THVPanel::ShowPage(int channelCount)
{
    page_ = std::min(page_, PageCount(channelCount) - 1);
    for (int row = 0; row < kRows; ++row)
        numbers[row]->setText("№ " + QString::number(FirstChannel() + row + 1) + ":");
    prevPageBtn->setVisible(channelCount > kRows);
    nextPageBtn->setVisible(channelCount > kRows);
    prevPageBtn->setEnabled(page_ > 0);
    nextPageBtn->setEnabled(page_ + 1 < PageCount(channelCount));
}

}  // namespace kv
