#pragma once
// The go/no-go check before a show: what stands in the show's way, worst first, each line
// with what to do about it, printable beside the continuity report.

#include "console/reports/ReportForm.h"

#include <string>
#include <vector>

class QLabel;
class QTreeWidget;

namespace kv {

struct TGoFinding;

class TGoNoGoForm : public TReportForm {
public:
    explicit TGoNoGoForm(QWidget* mainForm);

    void ShowFindings(const std::vector<TGoFinding>& findings, bool activate);

protected:
    TReportPage Page() const override;
    std::string ProposedPdfName() const override;

private:
    QLabel* summary_;
    QTreeWidget* list_;
    std::vector<std::string> lines_;  // as printed
};

}  // namespace kv
