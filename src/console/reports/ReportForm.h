#pragma once
// A report window: the report, "Сохранить в PDF" (Ctrl+P) for the paperwork and "Закрыть"
// (Esc). It does not hold up the console: the operator reads it while the main window keeps
// its keys, or brings it forward to print it.

#include "console/dialogs/AuxForm.h"
#include "console/reports/ReportPdf.h"

#include <string>

class QHBoxLayout;
class QPushButton;
class QVBoxLayout;

namespace kv {

class TFileDialog;

class TReportForm : public TAuxForm {
public:
    // false when the file cannot be written.
    bool SavePdf(const std::string& path);

protected:
    TReportForm(QWidget* mainForm, const char* className, const QString& caption);

    // activate false: shown beside the main window, which keeps the keyboard.
    void Present(bool activate);
    // The window's contents, above the button row.
    QVBoxLayout& Body() { return *body_; }
    // Before the window's own buttons.
    void AddButton(QPushButton* button);

    virtual TReportPage Page() const = 0;
    virtual std::string ProposedPdfName() const = 0;

private:
    void PdfBtnClick();

    TFileDialog* savePdfDialog_;
    QVBoxLayout* body_;
    QHBoxLayout* buttons_;
};

}  // namespace kv
