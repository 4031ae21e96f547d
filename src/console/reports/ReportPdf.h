#pragma once
// The printed form of a report window, on A4 pages for the show's paperwork: the title, the
// figures, the picture as the window draws it, then the details, page after page.

#include <QString>
#include <QStringList>

class QWidget;

namespace kv {

struct TReportPage {
    QString title;
    QStringList lines;
    QWidget* picture = nullptr;  // scaled to the page's width
    QStringList after;
};

// false when the file cannot be written.
bool WriteReportPdf(const QString& path, const TReportPage& page);

}  // namespace kv
