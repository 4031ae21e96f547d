#include "console/reports/ContinuityForm.h"

#include "console/widgets/Colors.h"
#include "console/widgets/Fonts.h"
#include "devices/readiness/ContinuityReport.h"
#include "support/lang/AddedMessages.h"

#include <QLabel>
#include <QTreeWidget>

namespace kv {

namespace {

QString Text(const std::string& text)
{
    return QString::fromStdString(text);
}

}  // namespace

TContinuityForm::TContinuityForm(QWidget* mainForm)
    : TSummaryListForm(mainForm, "TContinuityForm", "Отчёт о проверке каналов")
{
    list_->setObjectName("ContinuityList");
    list_->setHeaderLabels({"Пульт", "Каналы"});
    list_->setColumnWidth(0, Scaled(300));
    resize(Scaled(860), Scaled(520));
}

void TContinuityForm::ShowReport(const TContinuityReport& report, bool activate)
{
    const int stoppers = report.ShowStoppers();
    summary_->setText(Text(ContinuitySummary(report)));
    summary_->setStyleSheet(stoppers > 0 ? "color: red" : "");
    list_->clear();
    for (const TModuleContinuity& module : report.modules) {
        auto* head = new QTreeWidgetItem(list_, {Text(ContinuityModuleHead(module))});
        head->setFirstColumnSpanned(true);
        if (module.ShowStoppers() > 0)
            head->setForeground(0, kRed);
        for (const TContinuityLine& line : ContinuityModuleLines(module)) {
            auto* item = new QTreeWidgetItem(head, {Text(line.caption), Text(line.channels)});
            item->setToolTip(1, Text(line.channels));
            if (line.showStopper)
                for (const int column : {0, 1})
                    item->setForeground(column, kRed);
        }
    }
    list_->expandAll();
    lines_ = ContinuityReportLines(report);
    Present(activate);
}

std::string TContinuityForm::ProposedPdfName() const
{
    return Localize(kMsgContinuityPdfName) + ".pdf";
}

}  // namespace kv
