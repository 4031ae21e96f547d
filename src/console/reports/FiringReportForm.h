#pragma once
// What every cue of a show did, read from the show's report file: lateness over show time
// with the missed cues marked, the figures, and the missed cues with their reasons. A report
// of an earlier show opens from its file as well.

#include "console/reports/ReportForm.h"

#include <string>

class QLabel;
class QTreeWidget;

namespace kv {

class TLatenessChart;

class TFiringReportForm : public TReportForm {
public:
    explicit TFiringReportForm(QWidget* mainForm);

    // A file that does not read is reported to the operator; false then.
    bool ShowReport(const std::string& path, bool activate);
    // The file of an earlier show, as the operator chooses it; false when none was shown.
    bool ShowChosenReport();
    // The file shown, read again: the last checks of a show come in after its stop.
    void Reload();
    const std::string& Path() const { return path_; }

protected:
    TReportPage Page() const override;
    std::string ProposedPdfName() const override;

private:
    bool Read(const std::string& path);

    std::string path_;
    QLabel* file_;
    TLatenessChart* chart_;
    QLabel* figures_;
    QTreeWidget* missed_;
    QLabel* missedCaption_;
    TFileDialog* openDialog_;
};

}  // namespace kv
