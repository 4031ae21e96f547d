#include "console/widgets/Widgets.h"

#include <QGridLayout>
#include <QLabel>
#include <QPushButton>

namespace kv {

QLabel* MakeLabel(QWidget* parent, const QString& name, const QString& text)
{
    auto* label = new QLabel(text, parent);
    label->setObjectName(name);
    return label;
}

QPushButton* MakeButton(QWidget* parent, const QString& name, const QString& text)
{
    auto* button = new QPushButton(text, parent);
    button->setObjectName(name);
    button->setEnabled(false);
    button->setFocusPolicy(Qt::NoFocus);
    return button;
}

QPushButton* MakeDialogButton(QWidget* parent, const char* name, const QString& text)
{
    auto* button = new QPushButton(text, parent);
    button->setObjectName(name);
    button->setAutoDefault(false);
    return button;
}

QLabel* AddFigure(QGridLayout& grid, int row, const QString& name, const QString& caption,
                  const QString& value)
{
    QWidget* parent = grid.parentWidget();
    grid.addWidget(MakeLabel(parent, name + "Caption", caption), row, 0);
    QLabel* label = MakeLabel(parent, name + "Label", value);
    grid.addWidget(label, row, 1);
    return label;
}

}  // namespace kv
