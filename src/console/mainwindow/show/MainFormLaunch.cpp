// The launch page's buttons and actions: scenario and soundtrack of the slot, arming, start,
// stop, start point, modes, tempo and offset.
#include "console/mainwindow/MainForm.h"

#include "console/app/VolumeMixer.h"
#include "console/dialogs/FileDialog.h"
#include "console/panels/devices/DeviceColumn.h"
#include "console/panels/launch/LaunchPage.h"
#include "console/panels/launch/ManualKeyboard.h"
#include "console/panels/test/TestPage.h"
#include "console/panels/launch/TimePanel.h"
#include "devices/registry/Controls.h"
#include "show/player/ExtPlayer.h"
#include "show/player/launch/ShowLaunch.h"
#include "support/lang/AddedMessages.h"
#include "support/text/Conversions.h"
#include "support/lang/Localizer.h"
#include "support/platform/Platform.h"
#include "support/log/RunLog.h"

#include <QAction>
#include <QLabel>
#include <QPushButton>
#include <QStackedWidget>
#include <QTreeWidget>

#include <cstdlib>
#include <filesystem>

namespace kv {

namespace {

constexpr double kSoundSpeed = 330;  // m/s, for the offset as a distance

QString TempoLabel(int32_t tempo)
{
    if (tempo == 1000)
        return "100%";
    const int32_t deviation = std::abs(tempo - 1000);
    return QString(tempo < 1000 ? "-" : "+") + QString::number(deviation / 10) + "." +
           QString::number(deviation % 10) + "%";
}

}  // namespace

void TMainForm::ConnectLaunchControls()
{
    TLaunchPage& page = *launch_;
    openScenarioDialog_ = new TFileDialog(this, "OpenScenarioDialog",
                                          "Текстовые файлы|*.txt|Пакеты шоу|*.kvshow");
    openSoundDialog_ =
        new TFileDialog(this, "OpenSoundDialog", "Аудиофайлы|*.wav; *.mp3; *.wma; *.ogg");
    connect(page.projectBtn, &QPushButton::clicked, this, [this] { ProjectBtnClick(); });
    connect(page.soundBtn, &QPushButton::clicked, this, [this] { SoundBtnClick(); });
    connect(page.beginBtn, &QPushButton::clicked, this, [this] { BeginBtnClick(); });
    connect(page.startBtn, &QPushButton::clicked, this, [this] { StartBtnClick(); });
    connect(page.stopBtn, &QPushButton::clicked, this, [this] { StopBtnClick(); });
    connect(devices_->testBtn, &QPushButton::clicked, this, [this] { TestBtnClick(); });
    connect(test_->soundTestBtn, &QPushButton::clicked, this, [this] {
        TBassPlayer& soundtrack = player_->Soundtrack();
        if (!soundtrack.Loaded())
            return;
        if (soundtrack.IsPlaying())
            soundtrack.StopPlaying();
        else
            soundtrack.PlayFrom(0);
    });
    connect(test_->soundVolBtn, &QPushButton::clicked, this, [] { OpenVolumeMixer(); });
    connect(modeAction_, &QAction::triggered, this, [this] { ModeActionExecute(); });
    connect(controlAction_, &QAction::triggered, this, [this] { ControlActionExecute(); });
}

void TMainForm::KeepSoundtrackInSlot()
{
    TSlotRecord& record = slotRecords_[static_cast<size_t>(currentSlot_)];
    TBassPlayer& soundtrack = player_->Soundtrack();
    if (soundtrack.Loaded()) {
        record.soundtrackFile = soundtrack.FileName();
        record.soundtrackLength = soundtrack.TimeLength();
        launch_->timePanel->soundName->setText(QString::fromStdString(
            std::filesystem::path(record.soundtrackFile).filename().string()));
    } else {
        record.soundtrackFile.clear();
        record.soundtrackLength = 0;
        launch_->timePanel->soundName->clear();
    }
}

void TMainForm::SoundBtnClick()
{
    if (player_->Soundtrack().Loaded()) {
        player_->UnloadSoundtrack();
    } else if (const auto file = openSoundDialog_->Open()) {
        player_->LoadSoundtrack(*file);
    }
    KeepSoundtrackInSlot();
    KeepSlotFiles();
    UpdateButtons();
    ShowProject();
}

void TMainForm::ProjectBtnClick()
{
    TProjectList& scenario = *projects_.Project(currentSlot_);
    std::optional<std::string> file;
    if (scenario.Count() > 0) {
        scenario.Clear();
        slotRecords_[static_cast<size_t>(currentSlot_)].scenarioFile.clear();
    } else {
        file = openScenarioDialog_->Open();
    }
    if (file)
        OpenScenarioFile(*file);
    else
        ScenarioReplaced();
    KeepSlotFiles();
}

void TMainForm::ScenarioReplaced()
{
    // A package's timecode goes with its cues.
    TSlotRecord& record = slotRecords_[static_cast<size_t>(currentSlot_)];
    record.timecodeZero.reset();
    record.timecodeRate.reset();
    ShowProject();
    UpdateButtons();
    RefreshManualKeys();
    // A cue index of the old list means nothing in the new one.
    player_->SetStartPoint(0, 0);
    ShowTime(0);
    SoundtrackToStartPoint(0);
}

void TMainForm::StartBtnClick()
{
    TStartGate gate = StartGate();
    // A stop heard on the bus while the operator read the warning calls the start off; a
    // show started meanwhile is not started again; nor is one whose converter went or whose
    // hold-to-fire key was let go meanwhile.
    if (gate.Open(TStartGate::TWay::Now) == TStartVerdict::Open &&
        gate.Confirm(TStartGate::TWay::Now) == TStartVerdict::Open)
        StartShow(*player_);
}

void TMainForm::StopBtnClick()
{
    if (StandbyShowRunning()) {
        StopFollowedShow();
        return;
    }
    player_->Stop(!player_->IsRunning());
}

void TMainForm::BeginBtnClick()
{
    // The timecode wait would start the show from the new point at once.
    EndWait();
    player_->SetStartPoint(0, 0);
    ShowTime(0);
    SoundtrackToStartPoint(0);
}

void TMainForm::SoundtrackToStartPoint(int32_t start)
{
    TBassPlayer& soundtrack = player_->Soundtrack();
    if (!soundtrack.Loaded())
        return;
    // Music playing on after a stop would carry the next start from where it is, past the
    // start point just chosen: a section skipped for safety would fire.
    const bool playing = soundtrack.IsPlaying();
    if (playing)
        soundtrack.StopPlaying();
    // The music of a cue before the show's zero starts at its beginning.
    soundtrack.Seek(std::max(start, 0));
    if (playing)
        UpdateButtons();
}

void TMainForm::ShowCueListOrKeyboard()
{
    const bool manual = player_->Setup().firingMode != kFiringAutomatic;
    launch_->cueList->setVisible(!manual);
    launch_->manualKeys->setVisible(manual);
}

void TMainForm::ModeActionExecute()
{
    TShowSetup setup = player_->Setup();
    setup.firingMode = static_cast<uint8_t>((setup.firingMode + 1) % 3);
    if (!player_->Configure(setup))
        return;
    ShowCueListOrKeyboard();
    RefreshManualKeys();
    UpdateButtons();
}

void TMainForm::ControlActionExecute()
{
    // The modules would fire the locked positions from their memory.
    if (player_->Setup().controlMode == kControlDirect && !player_->LockedPositions().empty()) {
        Platform().MessageBox(Localize(kMsgUnlockBeforeAutonomous), Localize(91, "Ошибка"),
                              TButtons::Ok);
        TakeKeysBack();
        return;
    }
    TShowSetup setup = player_->Setup();
    setup.controlMode = setup.controlMode == kControlDirect ? kControlAutonomous : kControlDirect;
    if (player_->Configure(setup))
        UpdateIndicators();
}

void TMainForm::TestBtnClick()
{
    if (devices_->testBtn->isChecked()) {
        pages_->setCurrentWidget(test_);
        selectedIndex_ = controls_->FirstFiringModuleIndex();
        RedrawTestPanel();
    } else {
        pages_->setCurrentWidget(launch_);
        RefreshManualKeys();
        TBassPlayer& soundtrack = player_->Soundtrack();
        if (soundtrack.Loaded() && soundtrack.IsPlaying())
            soundtrack.StopPlaying();
    }
    UpdateButtons();
}

void TMainForm::SwitchSlot(int slot)
{
    TSlotRecord& old = slotRecords_[static_cast<size_t>(currentSlot_)];
    TShowSetup setup = player_->Setup();
    old.firingMode = setup.firingMode;
    old.controlMode = setup.controlMode;
    const TSlotRecord& record = slotRecords_[static_cast<size_t>(slot)];
    setup.firingMode = record.firingMode;
    setup.controlMode = record.controlMode;
    setup.scenario = projects_.Project(slot);
    // A show plays on in its own slot.
    if (!player_->Configure(setup))
        return;
    old.launchState = kLaunchIdle;

    currentSlot_ = slot;
    launchState_ = record.launchState;
    player_->UnloadSoundtrack();
    if (record.soundtrackLength > 0)
        player_->LoadSoundtrack(record.soundtrackFile);
    KeepSoundtrackInSlot();

    ShowProject();
    UpdateButtons();
    ShowCueListOrKeyboard();
    RefreshManualKeys();
    player_->SetStartPoint(0, 0);
    ShowTime(0);
}

void TMainForm::SetStartPoint()
{
    const QTreeWidget& list = *launch_->cueList;
    const int row = list.currentItem() ? list.indexOfTopLevelItem(list.currentItem()) : -1;
    const TProjectList& scenario = *projects_.Project(currentSlot_);
    if (row < 0 || row >= scenario.Count())
        return;
    EndWait();
    const int32_t start = scenario.Cue(row).time;
    player_->SetStartPoint(start, row);
    ShowTime(start);
    SoundtrackToStartPoint(start);
    WriteLog(Localize(18, "Установка точки начала:") + " " + IntToText(start) + " ms");
}

void TMainForm::ToggleArming()
{
    launchState_ = launchState_ == kLaunchIdle ? kLaunchReady : kLaunchIdle;
    UpdateButtons();
}

void TMainForm::ChangeTempo(int delta)
{
    player_->SetTempo(player_->Tempo() + delta);
    launch_->timePanel->tempo->setText(TempoLabel(player_->Tempo()));
    WriteLog(Localize(15, "Изменение темпа:") + " " + TempoLogText(player_->Tempo()) + "%");
}

void TMainForm::ChangeOffset(int delta)
{
    // The offset moves the timecode the wait starts at.
    EndWait();
    player_->SetOffset(player_->Offset() + delta);
    const int32_t offset = player_->Offset();
    launch_->timePanel->offset->setText(QString::number(offset) + " мс");
    const int64_t metres = std::abs(RoundHalfAway(offset / 1000.0 * kSoundSpeed));
    launch_->timePanel->distance->setText("~" + QString::number(metres) + " м");
    WriteLog(Localize(16, "Изменение смещения:") + " " + IntToText(offset) + " ms");
}

}  // namespace kv
