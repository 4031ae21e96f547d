#include "console/panels/launch/SearchPanel.h"

#include "console/widgets/Widgets.h"

#include <QGridLayout>

namespace kv {

TSearchPanel::TSearchPanel(QWidget* parent) : QFrame(parent)
{
    setObjectName("SearchPanel");
    setFrameShape(QFrame::StyledPanel);
    auto* grid = new QGridLayout(this);
    cycle = AddFigure(*grid, 0, "SearchCycle", "Цикл опроса:");
    currentId = AddFigure(*grid, 1, "SearchId", "Текущий ID:");
    converters = AddFigure(*grid, 2, "SearchConverters", "Преобразователей:");
    modules = AddFigure(*grid, 3, "SearchModules", "Пультов:");
    radios = AddFigure(*grid, 4, "SearchRadios", "Радиоканалов:");
    remote = AddFigure(*grid, 5, "SearchRemote", "ПДУ(Р):");
    grid->setRowStretch(6, 1);
    hide();
}

}  // namespace kv
