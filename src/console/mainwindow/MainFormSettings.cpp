// The settings window (Сервис > Настройки, Ctrl+Alt+S): opened only while nothing runs or
// waits to start; what it changes is written into the settings file the console read and,
// where the console can take it at once, in effect on OK.
#include "console/mainwindow/MainForm.h"

#include "audio/SoundServer.h"
#include "console/app/SettingsWriter.h"
#include "console/app/ViewState.h"
#include "console/dialogs/SettingsForm.h"
#include "console/dialogs/TimerForm.h"
#include "console/mainwindow/keys/DeadManSwitch.h"
#include "console/panels/launch/LaunchPage.h"
#include "console/widgets/Palette.h"
#include "devices/readiness/ChannelTest.h"
#include "show/player/ExtPlayer.h"
#include "support/lang/AddedMessages.h"
#include "support/log/RunLog.h"

#include <QAction>
#include <QMenu>
#include <QPushButton>
#include <QStatusBar>

#include <algorithm>
#include <filesystem>

namespace kv {

namespace {

// The sound server's list is asked for when the window opens: an absent server must not
// hold the console up for long.
constexpr int kSourceListWaitMs = 500;

// The converters by their stable names, which stay with the converter from plug to plug.
std::vector<std::string> ConvertersById()
{
    std::vector<std::string> ports;
    std::error_code error;
    for (const auto& entry : std::filesystem::directory_iterator("/dev/serial/by-id", error))
        ports.push_back(entry.path().string());
    std::sort(ports.begin(), ports.end());
    return ports;
}

}  // namespace

void TMainForm::WireSettings()
{
    settingsInFile_ = settings_;
    settingsForm_ = new TSettingsForm(
        this, [this](const TConsoleSettings& chosen) { return ApplySettings(chosen); });
    QAction* action = AddAction("SettingsAction", "Настройки", QKeySequence("Ctrl+Alt+S"));
    action->setEnabled(true);
    if (auto* menu = findChild<QMenu*>("ServiceMenu"))
        menu->addAction(action);
    connect(action, &QAction::triggered, this, [this] { SettingsActionExecute(); });
    connect(settingsForm_, &QDialog::finished, this, [this] { TakeKeysBack(); });
}

bool TMainForm::SettingsAllowed() const
{
    // Keys set, a port or a palette changed under a show or a wait would change what the
    // operator's next key does while it matters most.
    return !player_->IsRunning() && launchState_ != kLaunchRunning && !StartAwaited() &&
           !player_->armed && !(aux_.timer && aux_.timer->isVisible()) && !searching_ &&
           !testRunning_ && !memoryOperation_;
}

void TMainForm::SettingsActionExecute()
{
    if (!SettingsAllowed()) {
        // Said in the window's foot: a box would take the keys from the window that stops.
        const std::string text = Localize(kMsgSettingsRefused);
        WriteLog(text);
        statusBar()->showMessage(QString::fromStdString(text), 10000);
        return;
    }
    TConsoleSettings shown = settingsInFile_;
    shown.palette = PaletteName(ShownPalette());
    settingsForm_->Open(shown, ConvertersById(), PulseSourceNames(kSourceListWaitMs),
                        SlotTimecodeText());
}

std::string TMainForm::ApplySettings(const TConsoleSettings& chosen)
{
    if (!SettingsAllowed())
        return Localize(kMsgSettingsRefused);
    const std::vector<TSettingChange> changes = SettingChanges(settingsInFile_, chosen);
    std::string problem;
    if (!changes.empty() && !WriteSettingChanges(places_.settingsFile, changes, problem)) {
        const std::string text =
            Localize(kMsgSettingsNotWritten) + " " + places_.settingsFile + ": " + problem;
        WriteLog(text);
        return text;
    }
    std::string written;
    for (const TSettingChange& change : changes)
        written += " " + change.key + "=" + change.value;
    if (!written.empty())
        WriteLog(Localize(kMsgSettingsWritten) + " " + places_.settingsFile + ":" + written);
    if (chosen.port != settings_.port || chosen.timecodeSource != settings_.timecodeSource ||
        chosen.language != settings_.language || chosen.scale != settings_.scale)
        WriteLog(Localize(kMsgSettingsAtRestart) + " " + places_.settingsFile);
    settingsInFile_ = chosen;
    TakeSettings(chosen);
    return {};
}

void TMainForm::TakeSettings(const TConsoleSettings& chosen)
{
    settings_.thresholds = chosen.thresholds;
    player_->thresholds = chosen.thresholds;
    channelTest_->thresholds = chosen.thresholds;
    TShowSetup setup = player_->Setup();
    setup.maxLateMs = chosen.maxLateMs;
    // Settings are taken only while no show runs: a refusal leaves both as they were.
    if (player_->Configure(setup))
        settings_.maxLateMs = chosen.maxLateMs;
    settings_.goNoGoBeforeStart = chosen.goNoGoBeforeStart;
    const bool keysChanged =
        chosen.startKey != settings_.startKey || chosen.deadManKey != settings_.deadManKey;
    settings_.startKey = chosen.startKey;
    settings_.deadManKey = chosen.deadManKey;
    deadMan_->SetKey(chosen.deadManKey);
    ShowDeadMan();
    ShowStartKey();
    // Armed with the old keys in mind: the operator arms again, knowing the new ones.
    if (keysChanged && launchState_ == kLaunchReady) {
        launchState_ = kLaunchIdle;
        UpdateButtons();
    }
    if (const auto kind = PaletteNamed(chosen.palette); kind && *kind != ShownPalette()) {
        ShowConsolePalette(*kind);
        viewState_->Write("Palette", chosen.palette);
    }
}

void TMainForm::ShowStartKey()
{
    launch_->startBtn->setText(settings_.startKey == kKeySpace
                                   ? QString::fromStdString(Localize(kMsgSpaceStart))
                                   : startCaption_);
}

}  // namespace kv
