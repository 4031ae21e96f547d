#include "console/reports/ReportForm.h"

#include "console/dialogs/FileDialog.h"
#include "console/widgets/Widgets.h"
#include "support/lang/AddedMessages.h"
#include "support/text/Conversions.h"
#include "support/platform/Platform.h"
#include "support/log/RunLog.h"
#include "support/text/SavedFile.h"

#include <QHBoxLayout>
#include <QPushButton>
#include <QVBoxLayout>

namespace kv {

TReportForm::TReportForm(QWidget* mainForm, const char* className, const QString& caption)
    : TAuxForm(mainForm, className, caption),
      savePdfDialog_(new TFileDialog(this, "SavePdfDialog", "Файлы PDF|*.pdf")),
      body_(new QVBoxLayout),
      buttons_(new QHBoxLayout)
{
    setModal(false);
    QPushButton* pdf = MakeDialogButton(this, "PdfBtn", "Сохранить в PDF");
    pdf->setShortcut(QKeySequence("Ctrl+P"));
    pdf->setToolTip("Ctrl+P");
    QPushButton* close = MakeDialogButton(this, "CloseBtn", "Закрыть");
    connect(pdf, &QPushButton::clicked, this, [this] { PdfBtnClick(); });
    connect(close, &QPushButton::clicked, this, &QDialog::reject);
    buttons_->addStretch(1);
    buttons_->addWidget(pdf);
    buttons_->addWidget(close);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(body_, 1);
    layout->addLayout(buttons_);
}

void TReportForm::AddButton(QPushButton* button)
{
    buttons_->insertWidget(0, button);
}

void TReportForm::Present(bool activate)
{
    // A window shown on its own never takes the keys the operator stops a show with.
    setAttribute(Qt::WA_ShowWithoutActivating, !activate);
    if (!isVisible())
        CentreOnOwner();
    show();
    if (activate) {
        raise();
        activateWindow();
    }
}

bool TReportForm::SavePdf(const std::string& path)
{
    TReportPage page = Page();
    // Paperwork says when it was made.
    page.lines.prepend(
        QString::fromStdString(Localize(kMsgReportMade) + " " + DateTimeText(LocalTimeNow())));
    return SaveFileWith(path, [&page](const std::string& temporary) {
               return WriteReportPdf(QString::fromStdString(temporary), page);
           }).empty();
}

void TReportForm::PdfBtnClick()
{
    const auto chosen = savePdfDialog_->Save(ProposedPdfName());
    if (!chosen)
        return;
    const std::string path = EnsureExtension(*chosen, ".pdf");
    if (!SavePdf(path)) {
        Platform().MessageBox(Localize(kMsgPdfNotWritten) + " " + path, Localize(66, "Ошибка"),
                              TButtons::Ok);
        return;
    }
    WriteLog(Localize(kMsgReportSaved) + " " + path);
}

}  // namespace kv
