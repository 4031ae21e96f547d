// The test page: the module shown and its readings, the channel test of one or all modules,
// and the list of connected channels saved to a file.

#include "console/mainwindow/MainForm.h"

#include "console/panels/test/ChannelGrid.h"
#include "console/dialogs/FileDialog.h"
#include "console/panels/test/TestPage.h"
#include "devices/readiness/ChannelTest.h"
#include "devices/kinds/CommonControl.h"
#include "devices/readiness/ConnectedChannels.h"
#include "devices/registry/Controls.h"
#include "devices/kinds/Firmware.h"
#include "support/text/Conversions.h"
#include "support/lang/Localizer.h"
#include "support/platform/Platform.h"

#include <QLabel>
#include <QPushButton>
#include <QTimer>

namespace kv {

namespace {

constexpr uint8_t kHighVoltageType = 3;
constexpr uint8_t kMotorType = 4;

QString Fixed2(double value)
{
    return QString::number(value, 'f', 2);
}

}  // namespace

void TMainForm::WireTestPage()
{
    saveChannelsDialog_ = new TFileDialog(this, "SaveChannelsDialog", "Текстовые файлы|*.txt");
    channelTest_ = std::make_unique<TChannelTest>(*controls_);
    channelTest_->thresholds = settings_.thresholds;
    channelTest_->OnModule = [this](TCommonControl& module) {
        selectedIndex_ = IndexOf(module);
        RedrawTestPanel();
    };
    channelTest_->OnChannel = [this](TCommonControl&, int) {
        RedrawTestPanel();
        Platform().ProcessMessages();
    };
    connect(test_->upBtn, &QPushButton::clicked, this, [this] { MoveSelection(-1); });
    connect(test_->downBtn, &QPushButton::clicked, this, [this] { MoveSelection(1); });
    connect(test_->controlTestBtn, &QPushButton::clicked, this, [this] { RunChannelTest(false); });
    connect(test_->testAllBtn, &QPushButton::clicked, this, [this] { RunChannelTest(true); });
    connect(test_->testStopBtn, &QPushButton::clicked, this,
            [this] { channelTest_->stopRequested = true; });
    connect(test_->saveChannelsBtn, &QPushButton::clicked, this, [this] { SaveChannels(); });
    WireServicePanels();
}

int TMainForm::IndexOf(const TCommonDevice& device) const
{
    for (int index = 0; index < controls_->Count(); ++index)
        if (controls_->DeviceAt(index) == &device)
            return index;
    return -1;
}

TCommonControl* TMainForm::SelectedModule() const
{
    if (selectedIndex_ < 0 || selectedIndex_ >= controls_->Count())
        return nullptr;
    auto* module = dynamic_cast<TCommonControl*>(controls_->DeviceAt(selectedIndex_));
    return module && IsFiringModuleAddress(module->address) ? module : nullptr;
}

void TMainForm::MoveSelection(int step)
{
    const TControls& controls = *controls_;
    const int first = controls.FirstFiringModuleIndex();
    const int last = controls.LastFiringModuleIndex();
    int index = selectedIndex_;
    if (step < 0 ? index > first : index < last) {
        do
            index += step;
        while (index >= 0 && index < controls.Count() &&
               !IsFiringModuleAddress(controls.DeviceAt(index)->address));
    }
    if (index < 0 || index >= controls.Count())
        index = step < 0 ? first : last;
    selectedIndex_ = index;
    RedrawTestPanel();
    UpdateTestPageButtons();
}

void TMainForm::RedrawTestPanel()
{
    TCommonControl* module = SelectedModule();
    test_->ClearDetails();
    test_->grid->SetModule(module);
    if (!module) {
        test_->ShowSubPanel(TSubPanel::None);
        return;
    }
    ShowDetails();
    if (module->deviceType == kHighVoltageType) {
        test_->ShowSubPanel(TSubPanel::HighVoltage);
        FillHVPanel();
    } else if (module->deviceType == kMotorType) {
        test_->ShowSubPanel(TSubPanel::Motor);
    } else {
        test_->ShowSubPanel(TSubPanel::Grid);
        test_->grid->Redraw();
    }
}

void TMainForm::ShowDetails()
{
    const TCommonControl* module = SelectedModule();
    test_->ClearDetails();
    if (!module)
        return;
    TTestPage& page = *test_;
    page.address->setText(QString::number(module->address));
    page.channelCount->setText(QString::number(module->channelCount));
    page.version->setText(QString("%1").arg(module->version & 0xFFF, 3, 16, QChar('0')).toUpper());
    page.supply->setText(Fixed2(module->supplyVoltage));
    page.output->setText(Fixed2(module->outputVoltage));
    if (module->boostState == 0)
        page.boost->setText(QString::fromStdString(Localize(61, "включено")));
    else if (module->boostState == 1)
        page.boost->setText(QString::fromStdString(Localize(62, "выключено")));
    if (module->version >= kVersionTemperature)
        page.temperature->setText(QString::number(RoundHalfAway(module->temperature)));
}

void TMainForm::RunChannelTest(bool all)
{
    idleTimer_->stop();
    testRunning_ = true;
    UpdateButtons();
    if (all) {
        if (controls_->Count() > 0) {
            selectedIndex_ = controls_->FirstFiringModuleIndex();
            RedrawTestPanel();
            channelTest_->TestAll();
            selectedIndex_ = controls_->FirstFiringModuleIndex();
            RedrawTestPanel();
        }
    } else if (TCommonControl* module = SelectedModule()) {
        // The selection may rest on the remote controller after a rebuild: nothing to test.
        channelTest_->TestModule(*module);
    }
    testRunning_ = false;
    UpdateButtons();
    ResumeIdlePoll();
    RefreshReports();
}

void TMainForm::SaveChannels()
{
    const auto chosen = saveChannelsDialog_->Save(ProposedChannelsFileName());
    if (!chosen)
        return;
    const std::string problem = WriteConnectedChannelsFile(ChannelsFileName(*chosen), *controls_);
    if (!problem.empty())
        Platform().MessageBox(problem, Localize(66, "Ошибка"), TButtons::Ok);
}

void TMainForm::UpdateTestPageButtons()
{
    const int firing = controls_->FiringModuleCount();
    const bool testPage = TestPageShown();
    const bool pageIdle = testPage && !testRunning_ && !searching_;
    test_->upBtn->setEnabled(pageIdle && firing > 1);
    test_->downBtn->setEnabled(pageIdle && firing > 1);
    test_->controlTestBtn->setEnabled(pageIdle && firing > 0);
    test_->testAllBtn->setEnabled(pageIdle && firing > 0);
    test_->testStopBtn->setEnabled(testPage && testRunning_ && !searching_ && firing > 0);
    test_->saveChannelsBtn->setEnabled(pageIdle && firing > 0);
    test_->changeIdBtn->setEnabled(pageIdle && SelectedModule());
    test_->soundTestBtn->setEnabled(pageIdle);
    test_->soundVolBtn->setEnabled(pageIdle);
    EnableServiceControls();
}

}  // namespace kv
