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

void SetTextColor(QLabel& label, const QColor& color)
{
    QPalette palette = label.palette();
    palette.setColor(QPalette::WindowText, color);
    label.setPalette(palette);
}

QColor TextColor(const QLabel& label)
{
    return label.palette().color(QPalette::WindowText);
}

}  // namespace kv
