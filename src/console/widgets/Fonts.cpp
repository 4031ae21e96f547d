#include "console/widgets/Fonts.h"

#include <QApplication>

#include <algorithm>

namespace kv {

namespace {

int scale = kMinScalePercent;

QFont Sized(const QString& family, double points)
{
    QFont font(family);
    font.setPointSizeF(points * scale / 100.0);
    return font;
}

}  // namespace

void SetConsoleScale(int percent)
{
    scale = std::clamp(percent, kMinScalePercent, kMaxScalePercent);
    QApplication::setFont(ConsoleFont(9));
}

int ConsoleScale()
{
    return scale;
}

QFont ConsoleFont(double points, bool bold)
{
    QFont font = Sized("DejaVu Sans", points);
    font.setBold(bold);
    return font;
}

QFont ConsoleFixedFont(double points)
{
    QFont font = Sized("DejaVu Sans Mono", points);
    font.setStyleHint(QFont::Monospace);
    return font;
}

int Scaled(int pixels)
{
    return pixels * scale / 100;
}

}  // namespace kv
