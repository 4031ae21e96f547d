#include "console/reports/ReportPdf.h"

#include <QFontMetrics>
#include <QPageLayout>
#include <QPageSize>
#include <QPainter>
#include <QPixmap>
#include <QPdfWriter>
#include <QWidget>

#include <algorithm>

namespace kv {

namespace {

constexpr int kDpi = 150;
constexpr double kMarginMm = 15;

class TPageWriter {
public:
    explicit TPageWriter(QPdfWriter& writer) : writer_(writer) {}

    bool Begin() { return painter_.begin(&writer_); }
    bool End() { return painter_.end(); }

    void Text(const QString& text, int points, bool bold)
    {
        QFont font("DejaVu Sans");
        font.setPointSize(points);
        font.setBold(bold);
        painter_.setFont(font);
        const QFontMetrics metrics(font, &writer_);
        const QRect area(0, 0, Width(), 100000);
        const QRect needed = metrics.boundingRect(area, Qt::TextWordWrap, text);
        Reserve(needed.height());
        painter_.drawText(QRect(0, y_, Width(), needed.height()), Qt::TextWordWrap, text);
        y_ += needed.height();
    }

    void Picture(QWidget& picture)
    {
        const double scale = static_cast<double>(Width()) / std::max(1, picture.width());
        const int height = static_cast<int>(picture.height() * scale);
        Reserve(height);
        // As the operator saw it: the chart's own drawing loses legend entries when scaled.
        painter_.drawPixmap(QRect(0, y_, Width(), height), picture.grab());
        y_ += height;
    }

    void Gap(int points) { y_ += points * kDpi / 72; }

private:
    int Width() const { return painter_.viewport().width(); }

    void Reserve(int height)
    {
        if (y_ > 0 && y_ + height > painter_.viewport().height()) {
            writer_.newPage();
            y_ = 0;
        }
    }

    QPdfWriter& writer_;
    QPainter painter_;
    int y_ = 0;
};

}  // namespace

bool WriteReportPdf(const QString& path, const TReportPage& page)
{
    QPdfWriter writer(path);
    writer.setResolution(kDpi);
    writer.setPageLayout(QPageLayout(QPageSize(QPageSize::A4), QPageLayout::Portrait,
                                     QMarginsF(kMarginMm, kMarginMm, kMarginMm, kMarginMm),
                                     QPageLayout::Millimeter));
    writer.setTitle(page.title);
    writer.setCreator("Korvane");
    TPageWriter out(writer);
    if (!out.Begin())
        return false;
    out.Text(page.title, 14, true);
    out.Gap(8);
    for (const QString& line : page.lines)
        out.Text(line, 10, false);
    if (page.picture) {
        out.Gap(8);
        out.Picture(*page.picture);
    }
    out.Gap(8);
    for (const QString& line : page.after)
        out.Text(line, 9, false);
    return out.End();
}

}  // namespace kv
