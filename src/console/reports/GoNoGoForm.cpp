#include "console/reports/GoNoGoForm.h"

#include "console/widgets/Colors.h"
#include "console/widgets/Fonts.h"
#include "devices/readiness/GoNoGo.h"
#include "support/lang/AddedMessages.h"

#include <QLabel>
#include <QTreeWidget>

namespace kv {

TGoNoGoForm::TGoNoGoForm(QWidget* mainForm)
    : TSummaryListForm(mainForm, "TGoNoGoForm", "Готовность к шоу")
{
    list_->setObjectName("FindingList");
    list_->setRootIsDecorated(false);
    list_->setHeaderLabels({"", "Что найдено", "Что сделать"});
    list_->setColumnWidth(0, Scaled(80));
    list_->setColumnWidth(1, Scaled(420));
    resize(Scaled(960), Scaled(520));
}

void TGoNoGoForm::ShowFindings(const std::vector<TGoFinding>& findings, bool activate)
{
    const bool noGo = IsNoGo(findings);
    const std::string summary = GoNoGoSummary(findings);
    summary_->setText(QString::fromStdString(summary));
    summary_->setStyleSheet(noGo ? "color: red" : "");
    list_->clear();
    lines_ = {summary};
    for (const TGoFinding& finding : findings) {
        const std::string level = GoLevelText(finding.level);
        auto* item = new QTreeWidgetItem(list_, {QString::fromStdString(level),
                                                 QString::fromStdString(finding.found),
                                                 QString::fromStdString(finding.todo)});
        if (finding.level == TGoLevel::NoGo)
            for (const int column : {0, 1})
                item->setForeground(column, kRed);
        lines_.push_back(GoFindingLine(finding));
    }
    // Shown by the start key, the window must not have that key close it on a button.
    list_->setFocus();
    Present(activate);
}

std::string TGoNoGoForm::ProposedPdfName() const
{
    return Localize(kMsgGoPdfName) + ".pdf";
}

}  // namespace kv
