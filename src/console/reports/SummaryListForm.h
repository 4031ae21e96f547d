#pragma once
// A report window that is a bold summary over a list, printed as the lines it was shown with:
// the first line heads the page.

#include "console/reports/ReportForm.h"

#include <string>
#include <vector>

class QLabel;
class QTreeWidget;

namespace kv {

class TSummaryListForm : public TReportForm {
protected:
    TSummaryListForm(QWidget* mainForm, const char* className, const QString& caption);

    TReportPage Page() const override;

    QLabel* summary_;
    QTreeWidget* list_;
    std::vector<std::string> lines_;  // as printed
};

}  // namespace kv
