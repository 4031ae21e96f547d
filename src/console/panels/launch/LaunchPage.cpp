#include "console/panels/launch/LaunchPage.h"

#include "console/panels/launch/IndicatorStrip.h"
#include "console/panels/launch/ManualKeyboard.h"
#include "console/panels/launch/SearchPanel.h"
#include "console/panels/launch/SlotStrip.h"
#include "console/panels/launch/TimePanel.h"
#include "console/widgets/Fonts.h"
#include "console/widgets/Widgets.h"

#include <QHBoxLayout>
#include <QHeaderView>
#include <QPushButton>
#include <QTreeWidget>
#include <QVBoxLayout>

namespace kv {

TLaunchPage::TLaunchPage(QWidget* parent)
    : QWidget(parent),
      indicators(new TIndicatorStrip(this)),
      timePanel(new TTimePanel(this)),
      searchPanel(new TSearchPanel(this)),
      slotStrip(new TSlotStrip(this)),
      cueList(new QTreeWidget(this)),
      manualKeys(new TManualKeyboard(this))
{
    setObjectName("LaunchPanel");
    cueList->setObjectName("CueList");
    // New columns go last: a language file names the columns in order.
    cueList->setHeaderLabels({"Время", "Пульт", "Канал", "Комментарии", "Эффект", "Позиция"});
    cueList->setRootIsDecorated(false);
    cueList->setUniformRowHeights(true);
    cueList->setSelectionMode(QAbstractItemView::SingleSelection);
    cueList->header()->setStretchLastSection(true);
    int index = 0;
    for (const int width : {110, 64, 64, 180, 200})
        cueList->setColumnWidth(index++, Scaled(width));

    auto* buttons = new QHBoxLayout;
    projectBtn = MakeButton(this, "ProjectBtn", "<F2> Сценарий");
    soundBtn = MakeButton(this, "SoundBtn", "<F3> Фоногр.");
    beginBtn = MakeButton(this, "BeginBtn", "<F4> В начало");
    startBtn = MakeButton(this, "StartBtn", "<F5> Старт");
    stopBtn = MakeButton(this, "StopBtn", "<F6> Стоп");
    saveBtn = MakeButton(this, "SaveBtn", "<F8> Запись");
    checkBtn = MakeButton(this, "CheckBtn", "<F9> Проверка");
    for (QPushButton* button :
         {projectBtn, soundBtn, beginBtn, startBtn, stopBtn, saveBtn, checkBtn})
        buttons->addWidget(button);

    auto* column = new QVBoxLayout(this);
    column->setContentsMargins(0, 0, 0, 0);
    column->addWidget(indicators);
    column->addWidget(timePanel);
    column->addWidget(searchPanel);
    column->addWidget(slotStrip);
    column->addWidget(cueList, 1);
    column->addWidget(manualKeys, 1);
    column->addLayout(buttons);
}

}  // namespace kv
