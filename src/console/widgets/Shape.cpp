#include "console/widgets/Shape.h"

#include "console/widgets/Colors.h"

#include <QPainter>

namespace kv {

TShape::TShape(const QString& name, QWidget* parent) : QWidget(parent), color_(NeutralColor())
{
    setObjectName(name);
    setFixedSize(sizeHint());
}

void TShape::SetColor(const QColor& color)
{
    if (color == color_)
        return;
    color_ = color;
    update();
}

void TShape::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(QPen(Qt::black, 1));
    painter.setBrush(color_);
    painter.drawEllipse(rect().adjusted(1, 1, -2, -2));
}

}  // namespace kv
