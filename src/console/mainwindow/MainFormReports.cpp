// The report windows: the firing report after a show (Ctrl+F6), the continuity report before
// one (Ctrl+F4), both in the "Отчёты" menu. Neither opens while a show runs: the window that
// has the keys must stay the one that stops it.
#include "console/mainwindow/MainForm.h"

#include "console/reports/ContinuityForm.h"
#include "console/reports/FiringReportForm.h"
#include "console/reports/GoNoGoForm.h"
#include "devices/readiness/ContinuityReport.h"
#include "show/player/ExtPlayer.h"
#include "support/lang/AddedMessages.h"
#include "support/log/RunLog.h"

#include <QAction>
#include <QFileInfo>
#include <QMenu>
#include <QMenuBar>

namespace kv {

void TMainForm::AddReportMenu()
{
    firingReportAction_ =
        AddAction("FiringReportAction", "Отчёт о пуске", QKeySequence("Ctrl+F6"));
    continuityAction_ =
        AddAction("ContinuityAction", "Отчёт о проверке каналов", QKeySequence("Ctrl+F4"));
    QMenu* menu = menuBar()->addMenu("Отчёты");
    menu->setObjectName("ReportsMenu");
    // Always enabled: a disabled action would hand its key on as the plain function key.
    for (QAction* action : {firingReportAction_, continuityAction_}) {
        action->setEnabled(true);
        menu->addAction(action);
    }
}

void TMainForm::WireReports()
{
    connect(firingReportAction_, &QAction::triggered, this, [this] { FiringReportActionExecute(); });
    connect(continuityAction_, &QAction::triggered, this, [this] { ContinuityActionExecute(); });
    for (QDialog* form : std::initializer_list<QDialog*>{aux_.firingReport, aux_.continuity, aux_.goNoGo})
        connect(form, &QDialog::finished, this, [this] { TakeKeysBack(); });
    connect(aux_.goNoGo, &QDialog::finished, this, [this] { goNoGoGate_.Closed(); });
}

void TMainForm::FiringReportActionExecute()
{
    if (player_->IsRunning())
        return;
    const std::string& last = player_->FiringReportPath();
    // No show yet in this run: the report of an earlier one.
    const bool shown = last.empty() ? aux_.firingReport->ShowChosenReport()
                                    : aux_.firingReport->ShowReport(last, true);
    if (shown)
        WriteLog(Localize(kMsgFiringReportShown) + " " + aux_.firingReport->Path());
    else
        TakeKeysBack();
}

void TMainForm::ContinuityActionExecute()
{
    if (player_->IsRunning())
        return;
    const TContinuityReport report = BuildContinuityReport(
        *controls_, projects_.Project(currentSlot_)->Cues(), settings_.thresholds);
    aux_.continuity->ShowReport(report, true);
    WriteLog(Localize(kMsgContinuityShown) + " " + std::to_string(report.ShowStoppers()));
}

void TMainForm::ShowReportAfterStop()
{
    const std::string& path = player_->FiringReportPath();
    // Not written (the log folder refused it): the log says so already.
    if (path.empty() || !aux_.firingReport || !QFileInfo::exists(QString::fromStdString(path)))
        return;
    const bool hadKeys = isActiveWindow();
    aux_.firingReport->ShowReport(path, false);
    if (hadKeys)
        TakeKeysBack();
}

void TMainForm::RefreshReports()
{
    if (!aux_.firingReport)
        return;
    if (aux_.firingReport->isVisible() && aux_.firingReport->Path() == player_->FiringReportPath())
        aux_.firingReport->Reload();
    if (aux_.continuity->isVisible())
        aux_.continuity->ShowReport(
            BuildContinuityReport(*controls_, projects_.Project(currentSlot_)->Cues(),
                                  settings_.thresholds),
            false);
}

bool TMainForm::CloseReports()
{
    // While a show runs Esc is its stop and nothing else.
    if (!aux_.firingReport || player_->IsRunning())
        return false;
    const bool shown = aux_.firingReport->isVisible() || aux_.continuity->isVisible() ||
                       aux_.goNoGo->isVisible();
    if (aux_.goNoGo->isVisible())
        goNoGoGate_.Closed();
    HideReports();
    return shown;
}

void TMainForm::HideReports()
{
    if (!aux_.firingReport)
        return;
    const bool hadKeys = aux_.firingReport->isActiveWindow() ||
                         aux_.continuity->isActiveWindow() || aux_.goNoGo->isActiveWindow();
    aux_.firingReport->hide();
    aux_.continuity->hide();
    aux_.goNoGo->hide();
    if (hadKeys)
        TakeKeysBack();
}

}  // namespace kv
