#include "console/TestPage.h"

#include "console/Widgets.h"

#include <QGridLayout>
#include <QHBoxLayout>
#include <QPushButton>
#include <QVBoxLayout>

namespace kv {

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
    soundTestBtn = MakeButton(this, "SoundTestBtn", "<F5> Фонограмма");
    soundVolBtn = MakeButton(this, "SoundVolBtn", "<F6> Микшер");
    changeIdBtn = MakeButton(this, "ChangeIdBtn", "Изменить ID пульта...");

    auto* buttons = new QHBoxLayout;
    for (QPushButton* button : {upBtn, downBtn, controlTestBtn, testAllBtn, testStopBtn,
                                soundTestBtn, soundVolBtn, changeIdBtn})
        buttons->addWidget(button);

    auto* column = new QVBoxLayout(this);
    column->addLayout(details);
    column->addStretch();
    column->addLayout(buttons);
}

}  // namespace kv
