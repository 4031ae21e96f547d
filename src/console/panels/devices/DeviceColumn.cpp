#include "console/panels/devices/DeviceColumn.h"

#include "console/panels/devices/DeviceRowText.h"
#include "console/panels/devices/DeviceRows.h"
#include "console/widgets/Shape.h"
#include "console/widgets/Widgets.h"

#include <QGridLayout>
#include <QLabel>
#include <QPushButton>
#include <QScrollArea>
#include <QVBoxLayout>

namespace kv {

namespace {

constexpr int kRadiosPerRow = 5;

}  // namespace

TDeviceColumn::TDeviceColumn(QWidget* parent) : QFrame(parent)
{
    setObjectName("DevicePanel");
    setFrameShape(QFrame::StyledPanel);
    testBtn = MakeButton(this, "TestBtn", "<TAB> Тест");
    searchBtn = MakeButton(this, "SearchBtn", "<F10> Поиск");
    testModeBtn = MakeButton(this, "TestModeBtn", "Режим теста");
    fireModeBtn = MakeButton(this, "FireModeBtn", "Режим пуска");
    testBtn->setCheckable(true);
    searchBtn->setCheckable(true);

    auto* scroll = new QScrollArea(this);
    scroll->setObjectName("DeviceRows");
    scroll->setWidgetResizable(true);
    rows = new TDeviceRows(scroll);
    scroll->setWidget(rows);
    const QFontMetrics metrics(TDeviceRows::RowFont());
    scroll->setMinimumWidth(metrics.horizontalAdvance(QString(kDeviceRowWidth, 'W')) + 24);

    auto* radioGrid = new QGridLayout;
    radioGrid->setSpacing(2);
    for (int i = 0; i < kRadios; ++i) {
        const QString address = QString::number(kFirstRadio + i);
        radios[i] = new TShape("R" + address, this);
        radios[i]->setToolTip(address);
        auto* cell = new QHBoxLayout;
        cell->addWidget(radios[i]);
        cell->addWidget(MakeLabel(this, "RLabel" + address, address));
        radioGrid->addLayout(cell, i / kRadiosPerRow, i % kRadiosPerRow);
    }

    auto* column = new QVBoxLayout(this);
    auto* top = new QGridLayout;
    top->addWidget(testBtn, 0, 0);
    top->addWidget(searchBtn, 0, 1);
    top->addWidget(testModeBtn, 1, 0);
    top->addWidget(fireModeBtn, 1, 1);
    column->addLayout(top);
    column->addWidget(scroll, 1);
    column->addLayout(radioGrid);
}

}  // namespace kv
