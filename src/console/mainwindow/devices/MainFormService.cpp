// The service panels of the test page: the high-voltage module's charge settings, the motor
// module's moves, and a module's new bus address.

#include "console/mainwindow/MainForm.h"

#include "console/panels/test/HVPanel.h"
#include "console/panels/test/MotorPanel.h"
#include "console/panels/test/TestPage.h"
#include "devices/memory/ScenarioChecks.h"
#include "devices/registry/AddressChange.h"
#include "devices/registry/Controls.h"
#include "devices/kinds/HVControl.h"
#include "devices/kinds/MotorControl.h"
#include "link/PortProto.h"
#include "show/player/bus/BusFailureLog.h"
#include "support/lang/AddedMessages.h"
#include "support/text/Conversions.h"
#include "support/lang/Localizer.h"
#include "support/platform/Platform.h"
#include "support/log/RunLog.h"

#include <QLabel>
#include <QPushButton>
#include <QSpinBox>
#include <QTimer>

namespace kv {

void TMainForm::WireServicePanels()
{
    THVPanel& hv = *test_->hvPanel;
    connect(hv.seHVE, &QSpinBox::editingFinished, this, [this] { HVSettingCommitted(); });
    for (int row = 0; row < THVPanel::kRows; ++row)
        connect(hv.chargeBtns[static_cast<size_t>(row)], &QPushButton::clicked, this,
                [this, row] { ChargeChannel(row); });
    const auto turn = [this](int step) {
        if (TCommonControl* module = SelectedModule();
            module && test_->hvPanel->TurnPage(step, module->channelCount))
            FillHVPanel();
    };
    connect(hv.prevPageBtn, &QPushButton::clicked, this, [turn] { turn(-1); });
    connect(hv.nextPageBtn, &QPushButton::clicked, this, [turn] { turn(1); });

    TMotorPanel& motor = *test_->motorPanel;
    const auto move = [this](QPushButton* button,
                             TResult (*command)(TMotorControl&, const TMotorPanel&)) {
        connect(button, &QPushButton::clicked, this, [this, command] {
            if (auto* module = dynamic_cast<TMotorControl*>(SelectedModule()))
                Ignore(command(*module, *test_->motorPanel),
                       "a motor key: the operator watches the motor move");
        });
    };
    move(motor.leftBtn, [](TMotorControl& m, const TMotorPanel& p) { return m.TurnLeft(p.Speed()); });
    move(motor.centerBtn,
         [](TMotorControl& m, const TMotorPanel& p) { return m.TurnCenter(p.Speed()); });
    move(motor.rightBtn,
         [](TMotorControl& m, const TMotorPanel& p) { return m.TurnRight(p.Speed()); });
    move(motor.rotateLeftBtn, [](TMotorControl& m, const TMotorPanel& p) {
        return m.RotateLeft(p.Duration(), p.Speed());
    });
    move(motor.rotateRightBtn, [](TMotorControl& m, const TMotorPanel& p) {
        return m.RotateRight(p.Duration(), p.Speed());
    });
    connect(test_->changeIdBtn, &QPushButton::clicked, this, [this] { ChangeIdBtnClick(); });
}

void TMainForm::FillHVPanel()
{
    THVPanel& panel = *test_->hvPanel;
    auto* module = dynamic_cast<THVControl*>(SelectedModule());
    const int channels = module ? module->channelCount : 0;
    panel.ShowPage(channels);
    for (int row = 0; row < THVPanel::kRows; ++row) {
        const auto at = static_cast<size_t>(row);
        panel.resistances[at]->setText("?");
        panel.voltages[at]->setText("?");
    }
    EnableServiceControls();
    if (!module)
        return;
    panel.seHVE->setValue(module->hvSetting);
    for (int row = 0; row < THVPanel::kRows; ++row) {
        const int channel = panel.FirstChannel() + row;
        if (channel >= channels)
            break;
        const auto at = static_cast<size_t>(row);
        if (const double ohms = module->ChannelValue(channel); ohms != 0)
            panel.resistances[at]->setText(QString::number(ohms, 'f', 2));
        panel.voltages[at]->setText(QString::number(module->ChannelCharge(channel)));
    }
}

bool TMainForm::ServiceAllowed() const
{
    // A command between a channel test's measurements would charge, turn or renumber the
    // module under test.
    return TestPageShown() && !testRunning_ && !searching_;
}

void TMainForm::EnableServiceControls()
{
    THVPanel& panel = *test_->hvPanel;
    const auto* module = dynamic_cast<const THVControl*>(SelectedModule());
    const bool allowed = ServiceAllowed();
    panel.seHVE->setEnabled(allowed && module);
    for (int row = 0; row < THVPanel::kRows; ++row)
        panel.chargeBtns[static_cast<size_t>(row)]->setEnabled(
            allowed && module && panel.FirstChannel() + row < module->channelCount);
    test_->motorPanel->EnableMoves(allowed);
}

void TMainForm::HVSettingCommitted()
{
    auto* module = dynamic_cast<THVControl*>(SelectedModule());
    const int value = test_->hvPanel->seHVE->value();
    // Also reached when a test starting disables the field under the operator's typing.
    if (!module || !ServiceAllowed() || value == module->hvSetting)
        return;
    // "?" is no setting to send.
    if (value != kHVSettingUnknown) {
        // A failed write keeps the operator's value, so the voltages shown follow the request.
        module->hvSetting = value;
        if (module->WriteHVSetting(value) != 0) {
            const std::string problem =
                Localize(kMsgHVSettingNotWritten) + " " + IntToText(module->address);
            WriteLog(problem);
            Platform().MessageBox(problem, Localize(66, "Ошибка"), TButtons::Ok);
        }
    }
    FillHVPanel();
}

void TMainForm::ChargeChannel(int row)
{
    auto* module = dynamic_cast<THVControl*>(SelectedModule());
    if (!module)
        return;
    const int channel = test_->hvPanel->FirstChannel() + row;
    LogFailure(module->SetCharge(module->ChannelCharge(channel)), kMsgChargeNotSet,
               module->address);
}

void TMainForm::ChangeIdBtnClick()
{
    idleTimer_->stop();
    if (TCommonControl* module = SelectedModule(); module && CanChangeAddress(*module)) {
        const auto typed = Platform().InputBox(Localize(63, "Изменение номера"),
                                               Localize(64, "Введите новый номер пульта:"),
                                               std::to_string(module->address));
        if (typed && ChangeModuleAddress(*controls_, *port_, *module, *typed) == 0) {
            // The scenario's marks belong to addresses: the module now carries its new one's.
            MarkScenarioChannels(*controls_, projects_.Project(currentSlot_)->Cues());
            ShowDetails();
            RebuildDeviceList();
        }
    }
    ResumeIdlePoll();
}

}  // namespace kv
