#include "console/reports/ContinuityForm.h"

#include "console/widgets/Colors.h"
#include "console/widgets/Widgets.h"
#include "devices/ContinuityReport.h"
#include "support/AddedMessages.h"

#include <QHeaderView>
#include <QLabel>
#include <QTreeWidget>
#include <QVBoxLayout>

namespace kv {

namespace {

QString Text(const std::string& text)
{
    return QString::fromStdString(text);
}

}  // namespace

TContinuityForm::TContinuityForm(QWidget* mainForm)
    : TReportForm(mainForm, "TContinuityForm", "Отчёт о проверке каналов"),
      summary_(MakeLabel(this, "SummaryLabel", {})),
      list_(new QTreeWidget(this))
{
    QFont bold = summary_->font();
    bold.setBold(true);
    summary_->setFont(bold);
    list_->setObjectName("ContinuityList");
    list_->setHeaderLabels({"Пульт", "Каналы"});
    list_->setColumnWidth(0, 300);
    list_->setWordWrap(true);
    list_->header()->setStretchLastSection(true);
    Body().addWidget(summary_);
    Body().addWidget(list_, 1);
    resize(860, 520);
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

TReportPage TContinuityForm::Page() const
{
    TReportPage page;
    page.title = windowTitle();
    for (const std::string& line : lines_)
        (page.lines.isEmpty() ? page.lines : page.after) << Text(line);
    return page;
}

std::string TContinuityForm::ProposedPdfName() const
{
    return Localize(kMsgContinuityPdfName) + ".pdf";
}

}  // namespace kv
