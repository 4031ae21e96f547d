#include "console/panels/devices/DeviceRows.h"

#include "console/panels/devices/DeviceRowText.h"
#include "console/widgets/Colors.h"
#include "console/widgets/Fonts.h"
#include "console/widgets/Palette.h"

#include <QFontDatabase>
#include <QLabel>
#include <QVBoxLayout>

namespace kv {

namespace {

constexpr int kRowHeight = 15;
constexpr double kRowFontPoints = 9;

void Paint(QLabel& row, const QString& text, const TRowColors& colors)
{
    row.setText(text);
    PaintBackground(row, colors.background);
    SetTextColor(row, colors.text);
}

bool Exists(const std::vector<QLabel*>& rows, int row)
{
    return row >= 0 && row < static_cast<int>(rows.size());
}

}  // namespace

TDeviceRows::TDeviceRows(QWidget* parent) : QWidget(parent), layout_(new QVBoxLayout(this))
{
    setObjectName("DeviceRowPanel");
    layout_->setContentsMargins(0, 0, 0, 0);
    layout_->setSpacing(0);
    layout_->addStretch();
}

QFont TDeviceRows::RowFont()
{
    return ConsoleFixedFont(kRowFontPoints);
}

void TDeviceRows::Clear()
{
    for (QLabel* row : rows_)
        delete row;
    rows_.clear();
}

void TDeviceRows::AddRow(const QString& text, const TRowColors& colors)
{
    auto* row = new QLabel(this);
    row->setObjectName("DeviceRow" + QString::number(rows_.size()));
    row->setFont(RowFont());
    row->setFixedHeight(Scaled(kRowHeight));
    row->setFrameShape(QFrame::Box);
    row->setLineWidth(1);
    row->setAutoFillBackground(true);
    row->setTextFormat(Qt::PlainText);
    Paint(*row, text, colors);
    layout_->insertWidget(static_cast<int>(rows_.size()), row);
    rows_.push_back(row);
}

void TDeviceRows::SetRow(int row, const QString& text, const TRowColors& colors)
{
    if (Exists(rows_, row))
        Paint(*rows_[static_cast<size_t>(row)], text, colors);
}

QString TDeviceRows::RowText(int row) const
{
    return Exists(rows_, row) ? rows_[static_cast<size_t>(row)]->text() : QString();
}

}  // namespace kv
