#include "console/widgets/Shape.h"

#include "console/widgets/Colors.h"
#include "console/widgets/Fonts.h"
#include "console/widgets/Palette.h"

#include <QPainter>

namespace kv {

TShape::TShape(const QString& name, QWidget* parent) : QWidget(parent), color_(NeutralColor())
{
    setObjectName(name);
    // The hint is its size at 100 %.
    setFixedSize(Scaled(sizeHint().width()), Scaled(sizeHint().height()));
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
    // Told apart without colour too (dimmed at night, or for an eye that mixes red and
    // green): green is a ticked circle, red a crossed square, anything else a plain circle.
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    const QColor outline = ShownPalette() == TPaletteKind::Night ? QColor(110, 110, 100) : Qt::black;
    painter.setPen(QPen(outline, 1));
    painter.setBrush(LampPaint(color_));
    const QRectF face = QRectF(rect()).adjusted(1.5, 1.5, -1.5, -1.5);
    const QPointF c = face.center();
    const qreal r = face.width() / 2;
    if (color_ == kRed) {
        painter.drawRect(face);
        painter.setPen(QPen(outline, 2));
        painter.drawLine(c + QPointF(-r / 2, -r / 2), c + QPointF(r / 2, r / 2));
        painter.drawLine(c + QPointF(-r / 2, r / 2), c + QPointF(r / 2, -r / 2));
        return;
    }
    painter.drawEllipse(face);
    if (color_ == kGreen) {
        painter.setPen(QPen(outline, 2));
        painter.drawPolyline(QPolygonF{c + QPointF(-r / 2, 0), c + QPointF(-r / 8, r / 2.5),
                                       c + QPointF(r / 2, -r / 2.5)});
    }
}

}  // namespace kv
