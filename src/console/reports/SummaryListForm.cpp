#include "console/reports/SummaryListForm.h"

#include "console/widgets/Widgets.h"

#include <QHeaderView>
#include <QLabel>
#include <QTreeWidget>
#include <QVBoxLayout>

namespace kv {

TSummaryListForm::TSummaryListForm(QWidget* mainForm, const char* className, const QString& caption)
    : TReportForm(mainForm, className, caption),
      summary_(MakeLabel(this, "SummaryLabel", {})),
      list_(new QTreeWidget(this))
{
    QFont bold = summary_->font();
    bold.setBold(true);
    summary_->setFont(bold);
    list_->setWordWrap(true);
    list_->header()->setStretchLastSection(true);
    Body().addWidget(summary_);
    Body().addWidget(list_, 1);
}

TReportPage TSummaryListForm::Page() const
{
    TReportPage page;
    page.title = windowTitle();
    for (const std::string& line : lines_)
        (page.lines.isEmpty() ? page.lines : page.after) << QString::fromStdString(line);
    return page;
}

}  // namespace kv
