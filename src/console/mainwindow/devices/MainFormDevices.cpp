// The device column: its rows rebuilt on every registry change, the 500 ms poll of one device
// at a time, the blink of the console's indicators, the converter's loss and return, and the
// commands that act on every firing module at once.

#include "console/mainwindow/MainForm.h"

#include "console/dialogs/DebugForm.h"
#include "console/dialogs/WarningForm.h"
#include "console/panels/devices/DeviceColumn.h"
#include "console/panels/devices/DeviceRowText.h"
#include "console/panels/devices/DeviceRows.h"
#include "console/panels/launch/IndicatorStrip.h"
#include "console/panels/launch/LaunchPage.h"
#include "console/widgets/Colors.h"
#include "console/widgets/Shape.h"
#include "devices/kinds/CommonControl.h"
#include "devices/registry/Controls.h"
#include "devices/registry/FiringModes.h"
#include "link/PortProto.h"
#include "show/player/ExtPlayer.h"
#include "support/lang/AddedMessages.h"
#include "support/lang/Localizer.h"
#include "support/log/RunLog.h"

#include <QAction>
#include <QLabel>
#include <QPushButton>
#include <QTimer>

namespace kv {

void TMainForm::WireDevicePanels()
{
    controls_->OnChange = [this](int) { RebuildDeviceList(); };
    controls_->OnSearchProgress = [this](int percent, int address) {
        SearchProgress(percent, address);
    };
    player_->OnIdle = [this] { IdleTimerTimer(); };
    connect(idleTimer_, &QTimer::timeout, this, [this] { IdleTimerTimer(); });
    connect(errFlashTimer_, &QTimer::timeout, this, [this] { ErrFlashTimerTimer(); });
    connect(devices_->searchBtn, &QPushButton::clicked, this,
            [this](bool down) { SearchBtnClick(down); });
    connect(devices_->testModeBtn, &QPushButton::clicked, this, [this] { SetTestModeAll(true); });
    connect(devices_->fireModeBtn, &QPushButton::clicked, this, [this] { SetTestModeAll(false); });
    connect(powerUpGlobal_, &QAction::triggered, this, [this] { SetBoostAll(false); });
    connect(powerDownGlobal_, &QAction::triggered, this, [this] { SetBoostAll(true); });
    WireTestPage();
}

void TMainForm::ResumeIdlePoll()
{
    // A stop heard on the bus comes here too: the poll must not slip between the exchanges
    // of a memory operation or of the debug window's test.
    const bool debugTest = aux_.debug && aux_.debug->TestRunning();
    if (!searching_ && !testRunning_ && !player_->IsRunning() && !memoryOperation_ && !debugTest)
        idleTimer_->start();
}

void TMainForm::RebuildDeviceList()
{
    TControls& controls = *controls_;
    controls.SortByAddress();
    TDeviceRows& rows = *devices_->rows;
    rows.Clear();
    for (TShape* radio : devices_->radios)
        radio->SetColor(NeutralColor());
    for (int index = 0; index < controls.Count(); ++index) {
        const TCommonDevice& device = *controls.DeviceAt(index);
        if (const auto* module = dynamic_cast<const TCommonControl*>(&device);
            module && IsFiringModuleAddress(device.address))
            rows.AddRow(DeviceRowText(*module), DeviceRowColors(*module));
        else if (IsRadioModuleAddress(device.address))
            devices_->radios[device.address - TDeviceColumn::kFirstRadio]->SetColor(kGreen);
    }
    selectedIndex_ = controls.Count() == 0 ? -1 : 0;
    RedrawTestPanel();
    UpdateButtons();
}

int TMainForm::RowOf(const TCommonDevice& device) const
{
    int row = 0;
    for (int index = 0; index < controls_->Count(); ++index) {
        const TCommonDevice* entry = controls_->DeviceAt(index);
        if (entry == &device)
            return row;
        if (IsFiringModuleAddress(entry->address))
            ++row;
    }
    return -1;
}

void TMainForm::IdleTimerTimer()
{
    // Another station may fire on the line any moment: only the standby's own queries go.
    if (StandbyFollowing())
        return;
    TControls& controls = *controls_;
    if (pollIndex_ < controls.Count()) {
        TCommonDevice& device = *controls.DeviceAt(pollIndex_);
        device.Poll();
        ShowPolledDevice(device);
    }
    if (++pollIndex_ >= controls.Count())
        pollIndex_ = 0;
    if (TestPageShown() && controls.FiringModuleCount() > 0 && !testRunning_)
        ShowDetails();
    if (player_->HasUnchecked() && !player_->IsRunning() && !testRunning_ && !searching_) {
        player_->CheckNext();
        if (!player_->HasUnchecked())
            RefreshReports();  // the report file has the last checks now
    }
}

void TMainForm::ShowPolledDevice(const TCommonDevice& device)
{
    if (const auto* module = dynamic_cast<const TCommonControl*>(&device);
        module && IsFiringModuleAddress(device.address)) {
        TDeviceRows& rows = *devices_->rows;
        const int row = RowOf(device);
        rows.SetRow(row, RefreshedRowText(rows.RowText(row), *module), DeviceRowColors(*module));
    } else if (IsRadioModuleAddress(device.address)) {
        devices_->radios[device.address - TDeviceColumn::kFirstRadio]->SetColor(
            device.lastResult == 0 ? kGreen : kRed);
    }
}

void TMainForm::ErrFlashTimerTimer()
{
    flashPhase_ = 1 - flashPhase_;
    TIndicatorStrip& strip = *launch_->indicators;
    if (searching_)
        strip.wait.SetLit(flashPhase_ == 1);
    if (launchState_ == kLaunchReady)
        strip.work.SetLit(flashPhase_ == 1);
    if (converterFault_) {
        strip.rs485->SetColor(flashPhase_ == 1 ? kRed : NeutralColor());
        SetTextColor(*strip.rs485Label, NormalTextColor());
    }
}

void TMainForm::ConverterLost()
{
    converterFault_ = true;
    launch_->indicators->rs485Label->setText("RS485: 0");
    WriteLog(Localize(19, "Ошибка преобразователя"));
    // Whether the show goes on is the operator's call: the stop key stops it.
    if (player_->IsRunning())
        WriteLog(Localize(player_->Setup().controlMode == kControlAutonomous
                              ? kMsgAutonomousShowWithoutConverter
                              : kMsgShowOnWithoutConverter));
    // Started onto a dead bus, the show would fire its later cues once the converter is back,
    // at a moment nobody chose.
    if (EndStartWaits()) {
        WriteLog(Localize(kMsgWaitEndedConverterLost));
        UpdateButtons();
    }
}

void TMainForm::ConverterBack()
{
    WriteLog(Localize(20, "Преобразователь подключен"));
    converterFault_ = false;
    launch_->indicators->rs485->SetColor(kGreen);
    launch_->indicators->rs485Label->setText(ConverterText());
    SetTextColor(*launch_->indicators->rs485Label, kBlack);
    if (warning_ && warning_->isVisible())
        warning_->hide();
}

void TMainForm::ForEachFiringModule(const std::function<void(TCommonControl&)>& action)
{
    for (int index = 0; index < controls_->Count(); ++index)
        if (auto* module = dynamic_cast<TCommonControl*>(controls_->DeviceAt(index));
            module && IsFiringModuleAddress(module->address))
            action(*module);
}

void TMainForm::SetBoostAll(bool off)
{
    ForEachFiringModule([off](TCommonControl& module) {
        Ignore(module.SetBoost(off), "the module's row shows the boost it took");
    });
}

void TMainForm::SetTestModeAll(bool on)
{
    SetFiringModulesTestMode(*controls_, on);
}

}  // namespace kv
