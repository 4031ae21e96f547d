// Show packages on the console: F2 opens one as well as a scenario and loads the slot whole
// (scenario, soundtrack, tempo, offset, locked positions, the desk's timecode zero and rate);
// "Сохранить шоу" (Ctrl+S, the "Сценарий" menu) writes the slot as one.
#include "console/mainwindow/MainForm.h"

#include "console/dialogs/FileDialog.h"
#include "show/player/ExtPlayer.h"
#include "show/scenario/ScenarioFile.h"
#include "show/scenario/ShowOpen.h"
#include "show/timecode/TimecodeSettings.h"
#include "support/lang/AddedMessages.h"
#include "support/platform/Platform.h"
#include "support/log/RunLog.h"

#include <QAction>
#include <QMenu>
#include <QMenuBar>

#include <filesystem>

namespace kv {

namespace {

void ShowError(const std::string& text)
{
    WriteLog(text);
    Platform().MessageBox(text, Localize(91, "Ошибка"), TButtons::Ok);
}

}  // namespace

void TMainForm::AddSaveShowAction(QMenu& menu)
{
    saveShowDialog_ = new TFileDialog(this, "SaveShowDialog", "Пакеты шоу|*.kvshow");
    saveShowAction_ = AddAction("SaveShowAction", "Сохранить шоу", QKeySequence("Ctrl+S"));
    // Always enabled: refused, Ctrl+S would reach the console as the firing key S.
    saveShowAction_->setEnabled(true);
    menu.addAction(saveShowAction_);
    connect(saveShowAction_, &QAction::triggered, this, [this] { SaveShowActionExecute(); });
}

void TMainForm::OpenScenarioFile(const std::string& file)
{
    TSlotRecord& record = slotRecords_[static_cast<size_t>(currentSlot_)];
    if (IsShowPackage(file)) {
        LoadShowPackage(file);
        return;
    }
    TProjectList& scenario = *projects_.Project(currentSlot_);
    scenario.Load(file);
    record.scenarioFile = scenario.Name().empty() ? std::string() : file;
    ScenarioReplaced();
}

void TMainForm::LoadShowPackage(const std::string& file)
{
    TOpenedShow show;
    std::string error = OpenShowPackage(file, places_.stateFolder, show);
    // The modules would fire the locked positions from their memory.
    if (error.empty() && !show.settings.lockedPositions.empty() &&
        player_->Setup().controlMode == kControlAutonomous)
        error = Localize(kMsgLockoutAutonomous);
    if (!error.empty()) {
        ShowError(file + ": " + error);
        return;
    }
    projects_.Project(currentSlot_)
        ->Assign(std::move(show.cues), show.scenarioName, std::move(show.scenarioText));
    TSlotRecord& record = slotRecords_[static_cast<size_t>(currentSlot_)];
    record.scenarioFile = file;
    ScenarioReplaced();
    record.timecodeZero = show.settings.timecodeZero;
    record.timecodeRate = show.settings.timecodeRate;
    player_->UnloadSoundtrack();
    if (!show.soundtrackFile.empty())
        player_->LoadSoundtrack(show.soundtrackFile);
    KeepSoundtrackInSlot();
    if (show.settings.tempo != player_->Tempo())
        ChangeTempo(show.settings.tempo - player_->Tempo());
    if (show.settings.offset != player_->Offset())
        ChangeOffset(show.settings.offset - player_->Offset());
    for (const std::string& position : show.settings.lockedPositions)
        player_->LockPosition(position, true);
    UpdateButtons();
    ShowProject();
    WriteLog(Localize(kMsgPackageLoaded) + " " + file);
}

void TMainForm::SaveShowActionExecute()
{
    const TProjectList& scenario = *projects_.Project(currentSlot_);
    // Reading a long soundtrack would hold up the show clock.
    if (scenario.Name().empty() || player_->IsRunning() || launchState_ != kLaunchIdle) {
        TakeKeysBack();
        return;
    }
    auto file = saveShowDialog_->Save(std::filesystem::path(scenario.Name()).stem().string() +
                                      kShowPackageSuffix);
    TakeKeysBack();
    if (!file)
        return;
    // Without its suffix F2 would take it for a scenario.
    if (!IsShowPackage(*file))
        *file += kShowPackageSuffix;
    TShowPackage package;
    package.scenarioName = scenario.Name();
    package.scenario = scenario.Source();
    const std::string& soundtrack = slotRecords_[static_cast<size_t>(currentSlot_)].soundtrackFile;
    if (!soundtrack.empty()) {
        if (const std::string error = ReadScenarioFile(soundtrack, package.soundtrack);
            !error.empty()) {
            ShowError(error);
            return;
        }
        package.soundtrackName = std::filesystem::path(soundtrack).filename().string();
    }
    package.settings.tempo = player_->Tempo();
    package.settings.offset = player_->Offset();
    const TTimecodeSettings timecode = SlotTimecode();
    package.settings.timecodeZero = timecode.zero;
    package.settings.timecodeRate = timecode.rate;
    package.settings.lockedPositions = player_->LockedPositions();
    if (const std::string error = WriteShowPackage(*file, package); !error.empty()) {
        ShowError(error);
        return;
    }
    WriteLog(Localize(kMsgPackageSaved) + " " + *file);
}

}  // namespace kv
