// Show scripts of design programs (Ctrl+F2, the "Сценарий" menu): previewed, and on the
// operator's word loaded into the current slot as F2 loads a scenario file.
#include "console/mainwindow/MainForm.h"

#include "console/dialogs/ImportForm.h"
#include "console/panels/launch/LaunchPage.h"
#include "show/player/ExtPlayer.h"
#include "show/scenario/ScenarioFile.h"
#include "support/lang/AddedMessages.h"
#include "support/platform/Platform.h"
#include "support/log/RunLog.h"

#include <QAction>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>

#include <filesystem>

namespace kv {

namespace {

constexpr char kScriptFilter[] = "Сценарии программ проектирования|*.csv;*.txt|Все файлы|*";

}  // namespace

void TMainForm::AddImportMenu()
{
    importAction_ = AddAction("ImportAction", "Импорт сценария...", QKeySequence("Ctrl+F2"));
    // Always enabled: a disabled action would hand Ctrl+F2 on as F2, which unloads the slot.
    importAction_->setEnabled(true);
    QMenu* menu = menuBar()->addMenu("Сценарий");
    menu->setObjectName("ScenarioMenu");
    menu->addAction(importAction_);
    connect(importAction_, &QAction::triggered, this, [this] { ImportActionExecute(); });
    lockoutAction_ = AddAction("LockoutAction", "Блокировка позиций...", QKeySequence("Ctrl+L"));
    // Always enabled: refused, Ctrl+L would reach the console as the firing key L.
    lockoutAction_->setEnabled(true);
    menu->addAction(lockoutAction_);
    connect(lockoutAction_, &QAction::triggered, this, [this] { LockoutActionExecute(); });
    goNoGoAction_ = AddAction("GoNoGoAction", "Готовность к шоу...", QKeySequence("Ctrl+G"));
    // Always enabled: refused, Ctrl+G would reach the console as the firing key G.
    goNoGoAction_->setEnabled(true);
    menu->addAction(goNoGoAction_);
    connect(goNoGoAction_, &QAction::triggered, this, [this] { GoNoGoActionExecute(); });
    AddSaveShowAction(*menu);
}

bool TMainForm::ImportAllowed() const
{
    // As F2: never under a show, armed, or in the middle of a search or a channel test.
    return launch_->projectBtn->isEnabled() && !player_->IsRunning() &&
           launchState_ == kLaunchIdle;
}

void TMainForm::ImportActionExecute()
{
    if (!ImportAllowed())
        return;
    const auto file = Platform().OpenFileName(kScriptFilter);
    if (!file) {
        TakeKeysBack();
        return;
    }
    std::string bytes;
    if (const std::string error = ReadScenarioFile(*file, bytes); !error.empty()) {
        Platform().MessageBox(error, Localize(91, "Ошибка"), TButtons::Ok);
        TakeKeysBack();
        return;
    }
    TImportForm preview(this, *file, bytes);
    const auto accepted = preview.Ask();
    TakeKeysBack();
    // The console may have changed while the operator read the preview.
    if (!accepted || !ImportAllowed())
        return;
    const std::string name = std::filesystem::path(*file).filename().string();
    projects_.Project(currentSlot_)->Assign(accepted->cues, name);
    // No file to bring back after a restart.
    slotRecords_[static_cast<size_t>(currentSlot_)].scenarioFile.clear();
    KeepSlotFiles();
    WriteLog(Localize(kMsgImportLoaded) + " " + name + ", " + Localize(kMsgImportCues) + " " +
             std::to_string(accepted->cues.size()) + ", " + Localize(kMsgImportRefused) + " " +
             std::to_string(accepted->refused.size()));
    ScenarioReplaced();
}

}  // namespace kv
