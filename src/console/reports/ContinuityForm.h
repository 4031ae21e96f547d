#pragma once
// The continuity report before a show: per module, the scenario's channels that will not
// fire (red), connected channels the scenario leaves unused, shorts and faults elsewhere.

#include "console/reports/ReportForm.h"

#include <string>
#include <vector>

class QLabel;
class QTreeWidget;

namespace kv {

struct TContinuityReport;

class TContinuityForm : public TReportForm {
public:
    explicit TContinuityForm(QWidget* mainForm);

    void ShowReport(const TContinuityReport& report, bool activate);

protected:
    TReportPage Page() const override;
    std::string ProposedPdfName() const override;

private:
    QLabel* summary_;
    QTreeWidget* list_;
    std::vector<std::string> lines_;  // as printed
};

}  // namespace kv
