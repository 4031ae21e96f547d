#pragma once
// The continuity report before a show: per module, the scenario's channels that will not
// fire (red), connected channels the scenario leaves unused, shorts and faults elsewhere.

#include "console/reports/SummaryListForm.h"

#include <string>
#include <vector>

namespace kv {

struct TContinuityReport;

class TContinuityForm : public TSummaryListForm {
public:
    explicit TContinuityForm(QWidget* mainForm);

    void ShowReport(const TContinuityReport& report, bool activate);

protected:
    std::string ProposedPdfName() const override;
};

}  // namespace kv
