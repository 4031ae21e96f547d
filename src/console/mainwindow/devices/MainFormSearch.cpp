// The bus search, started and stopped by the operator with the search button, and its figures.

#include "console/mainwindow/MainForm.h"

#include "console/panels/launch/IndicatorStrip.h"
#include "console/panels/launch/LaunchPage.h"
#include "console/panels/launch/SearchPanel.h"
#include "console/panels/launch/TimePanel.h"
#include "devices/memory/ScenarioChecks.h"
#include "devices/registry/Controls.h"
#include "link/PortProto.h"
#include "show/scenario/ProjectList.h"
#include "support/lang/Localizer.h"
#include "support/log/RunLog.h"

#include <QLabel>
#include <QPushButton>
#include <QTimer>

namespace kv {

namespace {

constexpr uint8_t kSearchAll = 3;  // probe the bus and accept announcements

void LogFigure(int id, const char* caption, int figure)
{
    WriteLog(Localize(id, caption) + " " + std::to_string(figure));
}

}  // namespace

void TMainForm::SearchBtnClick(bool start)
{
    TSearchPanel& figures = *launch_->searchPanel;
    if (start) {
        idleTimer_->stop();
        port_->Reopen();
        launch_->indicators->rs485Label->setText(ConverterText());
        controls_->SetSearchMode(kSearchAll);
        for (QLabel* figure : {figures.cycle, figures.currentId, figures.converters,
                               figures.modules, figures.radios, figures.remote})
            figure->clear();
        launch_->timePanel->hide();
        figures.show();
    } else {
        controls_->SetSearchMode(0);
        searching_ = false;
        ResumeIdlePoll();
        LogFigure(2, "Всего подключенных устройств:", controls_->Count());
        LogFigure(3, "Преобразователей:", port_->ConverterCount());
        LogFigure(4, "Пультов:", controls_->FiringModuleCount());
        LogFigure(5, "Блоков радиосвязи:", controls_->RadioModuleCount());
        LogFigure(6, "ПДУ(Р):", controls_->HasRemoteControl());
        launch_->timePanel->show();
        figures.hide();
    }
    searching_ = start;
    UpdateButtons();
    if (!start) {
        MarkScenarioChannels(*controls_, projects_.Project(currentSlot_)->Cues());
        if (TestPageShown())
            RedrawTestPanel();
        manualIndex_ = controls_->FiringModuleCount() > 0 ? controls_->FirstFiringModuleIndex() : -1;
        manualPage_ = 0;
        RefreshManualKeys();
        RefreshReports();
    }
}

void TMainForm::SearchProgress(int percent, int address)
{
    TSearchPanel& figures = *launch_->searchPanel;
    figures.cycle->setText(QString::number(percent) + "%");
    figures.currentId->setText(QString::number(address));
    figures.converters->setText(QString::number(port_->ConverterCount()));
    figures.modules->setText(QString::number(controls_->FiringModuleCount()));
    figures.radios->setText(QString::number(controls_->RadioModuleCount()));
    figures.remote->setText(QString::number(controls_->HasRemoteControl()));
}

}  // namespace kv
