#include "console/panels/test/TestPage.h"

#include "console/panels/test/ChannelGrid.h"
#include "console/panels/test/HVPanel.h"
#include "console/panels/test/MotorPanel.h"
#include "console/widgets/Colors.h"
#include "console/widgets/Fonts.h"
#include "console/widgets/Palette.h"
#include "console/widgets/Widgets.h"

#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QScrollArea>
#include <QVBoxLayout>

namespace kv {

namespace {

QWidget* MakeGridPanel(QWidget* parent, TChannelGrid*& grid)
{
    auto* panel = new QWidget(parent);
    panel->setObjectName("GridPanel");
    auto* scroll = new QScrollArea(panel);
    scroll->setObjectName("GridScroll");
    grid = new TChannelGrid(scroll);
    scroll->setWidget(grid);
    auto* legend = new QHBoxLayout;
    const auto entry = [&](const QString& name, const QColor& color, const QString& caption) {
        auto* swatch = MakeLabel(panel, name + "Swatch", "");
        swatch->setFixedSize(Scaled(24), Scaled(14));
        swatch->setAutoFillBackground(true);
        swatch->setFrameShape(QFrame::Box);
        PaintBackground(*swatch, color);
        legend->addWidget(swatch);
        legend->addWidget(MakeLabel(panel, name + "Caption", caption));
    };
    entry("LegendUnknown", Qt::white, "Неизвестно");
    entry("LegendOpen", QColor(0, 0, 255), "Не подключен");
    entry("LegendConnected", kGreen, "Подключен");
    entry("LegendFault", kRed, "Ошибка");
    legend->addStretch();
    auto* column = new QVBoxLayout(panel);
    column->setContentsMargins(0, 0, 0, 0);
    column->addWidget(scroll, 1);
    column->addLayout(legend);
    return panel;
}

}  // namespace

TTestPage::TTestPage(QWidget* parent) : QWidget(parent)
{
    setObjectName("TestPanel");
    auto* details = new QGridLayout;
    int row = 0;
    const auto figure = [&](const QString& name, const QString& caption) {
        auto* holder = new QWidget(this);
        auto* grid = new QGridLayout(holder);
        grid->setContentsMargins(0, 0, 0, 0);
        QLabel* label = AddFigure(*grid, 0, name, caption, "?");
        details->addWidget(holder, row / 4, row % 4);
        ++row;
        return label;
    };
    address = figure("Number", "Номер:");
    channelCount = figure("Channels", "Каналов:");
    version = figure("Version", "Версия:");
    supply = figure("Supply", "Питание, в:");
    output = figure("Output", "Выход, в:");
    boost = figure("Boost", "Форсирование:");
    temperature = figure("Temperature", "Температура, °С:");

    upBtn = MakeButton(this, "UpBtn", "▲");
    downBtn = MakeButton(this, "DownBtn", "▼");
    controlTestBtn = MakeButton(this, "ControlTestBtn", "<F1> Проверка");
    testAllBtn = MakeButton(this, "TestAllBtn", "<F2> Все");
    testStopBtn = MakeButton(this, "TestStopBtn", "<F3> Стоп");
    saveChannelsBtn = MakeButton(this, "SaveChannelsBtn", "<F4> Сохранить");
    soundTestBtn = MakeButton(this, "SoundTestBtn", "<F5> Фонограмма");
    soundVolBtn = MakeButton(this, "SoundVolBtn", "<F6> Микшер");
    changeIdBtn = MakeButton(this, "ChangeIdBtn", "Изменить ID пульта...");

    gridPanel = MakeGridPanel(this, grid);
    hvPanel = new THVPanel(this);
    motorPanel = new TMotorPanel(this);

    auto* buttons = new QHBoxLayout;
    for (QPushButton* button : {upBtn, downBtn, controlTestBtn, testAllBtn, testStopBtn,
                                saveChannelsBtn, soundTestBtn, soundVolBtn, changeIdBtn})
        buttons->addWidget(button);

    auto* column = new QVBoxLayout(this);
    column->addLayout(details);
    column->addWidget(gridPanel, 1);
    column->addWidget(hvPanel, 1);
    column->addWidget(motorPanel, 1);
    column->addStretch();
    column->addLayout(buttons);
    ShowSubPanel(TSubPanel::None);
}

void TTestPage::ClearDetails()
{
    for (QLabel* label : {address, channelCount, version, supply, output, boost, temperature})
        label->setText("?");
}

void TTestPage::ShowSubPanel(TSubPanel panel)
{
    gridPanel->setVisible(panel == TSubPanel::Grid);
    hvPanel->setVisible(panel == TSubPanel::HighVoltage);
    motorPanel->setVisible(panel == TSubPanel::Motor);
}

}  // namespace kv
