#include "console/reports/FiringReportForm.h"

#include "console/dialogs/FileDialog.h"
#include "console/reports/LatenessChart.h"
#include "console/widgets/Fonts.h"
#include "console/widgets/Widgets.h"
#include "show/report/FiringReportFile.h"
#include "show/report/FiringSummary.h"
#include "support/lang/AddedMessages.h"
#include "support/platform/Platform.h"

#include <QFileInfo>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QTreeWidget>
#include <QVBoxLayout>

namespace kv {

namespace {

QString Seconds(int32_t ms)
{
    return QString::number(ms / 1000.0, 'f', 3);
}

QStringList MissedRow(int number, const TCueRecord& record)
{
    const TScenarioCue& cue = record.cue;
    const QString channel = cue.kind == kKindFire ? QString::number(cue.channel + 1)
                                                  : QString(MotorLetter(cue.kind));
    return {QString::number(number), Seconds(cue.time), QString::number(cue.module), channel,
            QString::fromStdString(MissReasonText(record.reason)),
            QString::fromStdString(record.effect), QString::fromStdString(record.position)};
}

QString Cells(const QTreeWidgetItem& row)
{
    QStringList cells;
    for (int column = 0; column < row.columnCount(); ++column)
        cells << row.text(column);
    return cells.join("; ");
}

}  // namespace

TFiringReportForm::TFiringReportForm(QWidget* mainForm)
    : TReportForm(mainForm, "TFiringReportForm", "Отчёт о пуске"),
      file_(MakeLabel(this, "FileLabel", {})),
      chart_(new TLatenessChart(this)),
      figures_(MakeLabel(this, "FiguresLabel", {})),
      missed_(new QTreeWidget(this)),
      missedCaption_(MakeLabel(this, "MissedCaption", "Пропущенные команды:")),
      openDialog_(new TFileDialog(this, "OpenReportDialog", "Отчёты о пуске|*.csv"))
{
    missed_->setObjectName("MissedList");
    missed_->setRootIsDecorated(false);
    missed_->setHeaderLabels({"№", "Время, с", "Пульт", "Канал", "Причина", "Эффект", "Позиция"});
    int column = 0;
    for (const int width : {36, 64, 64, 64, 150, 150})
        missed_->setColumnWidth(column++, Scaled(width));
    figures_->setAlignment(Qt::AlignTop | Qt::AlignLeft);
    figures_->setTextInteractionFlags(Qt::TextSelectableByMouse);

    auto* side = new QVBoxLayout;
    side->addWidget(figures_);
    side->addWidget(missedCaption_);
    side->addWidget(missed_, 1);
    auto* row = new QHBoxLayout;
    row->addWidget(chart_, 5);
    row->addLayout(side, 4);
    Body().addWidget(file_);
    Body().addLayout(row, 1);

    QPushButton* open = MakeDialogButton(this, "OpenBtn", "Открыть...");
    connect(open, &QPushButton::clicked, this, [this] { ShowChosenReport(); });
    AddButton(open);
    resize(Scaled(1040), Scaled(600));
}

bool TFiringReportForm::ShowReport(const std::string& path, bool activate)
{
    if (!Read(path))
        return false;
    Present(activate);
    return true;
}

void TFiringReportForm::Reload()
{
    if (!path_.empty())
        Read(path_);
}

bool TFiringReportForm::Read(const std::string& path)
{
    std::vector<TCueRecord> records;
    const std::string problem = ReadFiringReport(path, records);
    if (!problem.empty()) {
        Platform().MessageBox(problem, Localize(66, "Ошибка"), TButtons::Ok);
        return false;
    }
    path_ = path;
    // A rehearsal's figures must never pass for a show's.
    const bool rehearsal = IsRehearsalReport(path_);
    file_->setText(QString::fromStdString(
        rehearsal ? Localize(kMsgRehearsalReport) + " " + path_ : path_));
    file_->setStyleSheet(rehearsal ? "color: red; font-weight: bold" : "");
    chart_->Show(records);
    QStringList lines;
    for (const std::string& line : FiringSummaryLines(SummarizeFiring(records)))
        lines << QString::fromStdString(line);
    figures_->setText(lines.join('\n'));
    missed_->clear();
    QList<QTreeWidgetItem*> rows;
    for (size_t i = 0; i < records.size(); ++i)
        if (records[i].outcome == TCueOutcome::Missed)
            rows << new QTreeWidgetItem(MissedRow(static_cast<int>(i) + 1, records[i]));
    missed_->addTopLevelItems(rows);
    return true;
}

bool TFiringReportForm::ShowChosenReport()
{
    const auto chosen = openDialog_->Open();
    return chosen && ShowReport(*chosen, true);
}

TReportPage TFiringReportForm::Page() const
{
    TReportPage page;
    page.title = windowTitle() + ": " + QFileInfo(QString::fromStdString(path_)).fileName();
    if (IsRehearsalReport(path_))
        page.title = QString::fromStdString(Localize(kMsgRehearsalReport)) + " " + page.title;
    page.lines = figures_->text().split('\n');
    page.picture = chart_;
    if (missed_->topLevelItemCount() == 0)
        return page;
    page.after << missedCaption_->text() << Cells(*missed_->headerItem());
    for (int i = 0; i < missed_->topLevelItemCount(); ++i)
        page.after << Cells(*missed_->topLevelItem(i));
    return page;
}

std::string TFiringReportForm::ProposedPdfName() const
{
    return QFileInfo(QString::fromStdString(path_)).completeBaseName().toStdString() + ".pdf";
}

}  // namespace kv
