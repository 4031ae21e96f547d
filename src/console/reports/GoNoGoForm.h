#pragma once
// The go/no-go check before a show: what stands in the show's way, worst first, each line
// with what to do about it, printable beside the continuity report.

#include "console/reports/SummaryListForm.h"

#include <string>
#include <vector>

namespace kv {

struct TGoFinding;

class TGoNoGoForm : public TSummaryListForm {
public:
    explicit TGoNoGoForm(QWidget* mainForm);

    void ShowFindings(const std::vector<TGoFinding>& findings, bool activate);

protected:
    std::string ProposedPdfName() const override;
};

}  // namespace kv
