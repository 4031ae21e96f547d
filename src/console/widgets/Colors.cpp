#include "console/widgets/Colors.h"

#include <QApplication>
#include <QLabel>
#include <QPalette>

namespace kv {

QColor NeutralColor()
{
    return QApplication::palette().color(QPalette::Button);
}

QColor NormalTextColor()
{
    return QApplication::palette().color(QPalette::WindowText);
}

QColor TextColor(const QLabel& label)
{
    return label.palette().color(QPalette::WindowText);
}

}  // namespace kv
