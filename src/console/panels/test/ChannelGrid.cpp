#include "console/panels/test/ChannelGrid.h"

#include "console/widgets/Colors.h"
#include "console/widgets/Fonts.h"
#include "console/widgets/Palette.h"
#include "devices/kinds/CommonControl.h"
#include "devices/kinds/Firmware.h"

#include <QFontMetrics>
#include <QImage>
#include <QPainter>

#include <algorithm>

namespace kv {

namespace {

constexpr int kColumns = 16;
constexpr int kBaseCellWidth = 32;
constexpr int kBaseCellHeight = 24;
constexpr double kNumberPoints = 8;
constexpr double kResistancePoints = 7;

struct TCellColors {
    QColor fill;
    QColor text;
};

TCellColors CellColors(uint8_t state)
{
    switch (state) {
    case kChannelConnected:
        return {kGreen, Qt::black};
    case kChannelOpen:
        return {QColor(0, 0, 255), Qt::white};
    case kChannelFault:
        return {kRed, Qt::white};
    default:
        return {Qt::white, Qt::black};
    }
}

QColor CrossColor(uint8_t state)
{
    if (state == kChannelOpen)
        return kRed;
    return state == kChannelFault ? Qt::white : Qt::black;
}

int Rows(int channels)
{
    return (channels + kColumns - 1) / kColumns;
}

int CellWidth()
{
    return Scaled(kBaseCellWidth);
}

int CellHeight()
{
    return Scaled(kBaseCellHeight);
}

// Text whose top left corner is at (x, y), x the cell's centre less half the text's width.
void TextAt(QPainter& painter, int centreX, int y, const QString& text)
{
    const QFontMetrics metrics(painter.font());
    painter.drawText(centreX - metrics.horizontalAdvance(text) / 2, y + metrics.ascent(), text);
}

void DrawCell(QPainter& painter, const TCommonControl& module, int channel)
{
    const int x = CellWidth() * (channel % kColumns);
    const int y = CellHeight() * (channel / kColumns);
    // The cell covers (x + 2, y + 2) up to, not including, (x + 32, y + 24).
    const QRect cell(x + 2, y + 2, CellWidth() - 2, CellHeight() - 2);
    const uint8_t state = module.ChannelState(channel);
    const TCellColors colors = CellColors(state);
    painter.setPen(QPen(Qt::black, 1));
    painter.setBrush(LampPaint(colors.fill));
    painter.drawRect(cell.adjusted(0, 0, -1, -1));
    if (module.ChannelInScenario(channel)) {
        if (state == kChannelOpen) {
            painter.setPen(QPen(kRed, 2));
            painter.setBrush(Qt::NoBrush);
            painter.drawRect(cell.adjusted(1, 1, -1, -1));
        }
        painter.setPen(QPen(CrossColor(state), 1));
        painter.drawLine(cell.topLeft(), cell.bottomRight());
        painter.drawLine(cell.topRight(), cell.bottomLeft());
    }
    painter.setPen(colors.text);
    const QString number = QString::number(channel + 1);
    const int centreX = x + 17;
    if (module.version < kVersionResistance) {
        painter.setFont(ConsoleFont(kNumberPoints, false));
        const QFontMetrics metrics(painter.font());
        TextAt(painter, centreX, y + 11 - metrics.height() / 2, number);
        return;
    }
    painter.setFont(ConsoleFont(kNumberPoints, true));
    TextAt(painter, centreX, y + 1, number);
    painter.setFont(ConsoleFont(kResistancePoints, false));
    TextAt(painter, centreX, y + 12, QString::number(module.ChannelValue(channel), 'f', 1));
}

}  // namespace

TChannelGrid::TChannelGrid(QWidget* parent) : QWidget(parent)
{
    setObjectName("ChannelGrid");
    SetModule(nullptr);
}

void TChannelGrid::SetModule(const TCommonControl* module)
{
    module_ = module;
    const int channels = module ? std::clamp(module->channelCount, 0, kChannelSlots) : 0;
    setFixedSize(kColumns * CellWidth() + 2, std::max(1, Rows(channels)) * CellHeight() + 2);
    update();
}

void TChannelGrid::Redraw()
{
    repaint();
}

QImage TChannelGrid::Render() const
{
    QImage image(size(), QImage::Format_RGB32);
    image.fill(LampPaint(Qt::white));
    if (!module_)
        return image;
    QPainter painter(&image);
    const int channels = std::clamp(module_->channelCount, 0, kChannelSlots);
    for (int channel = 0; channel < channels; ++channel)
        DrawCell(painter, *module_, channel);
    return image;
}

void TChannelGrid::paintEvent(QPaintEvent*)
{
    // Drawn whole off screen first: a test redraws it after every channel without flicker.
    QPainter(this).drawImage(0, 0, Render());
}

}  // namespace kv
