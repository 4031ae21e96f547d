// The forty manual firing keys: which module and page they fire, their cells on screen, the
// arrows that choose module and page, and the boost keys.
#include "console/mainwindow/MainForm.h"

#include "console/mainwindow/keys/VirtualKeys.h"
#include "console/panels/launch/LaunchPage.h"
#include "console/panels/launch/ManualKeyboard.h"
#include "devices/kinds/CommonControl.h"
#include "devices/registry/Controls.h"
#include "show/player/ExtPlayer.h"
#include "support/text/Conversions.h"
#include "support/lang/Localizer.h"
#include "support/log/RunLog.h"

#include <algorithm>

namespace kv {

bool TMainForm::ManualModuleValid() const
{
    return ManualModule() != nullptr;
}

TCommonControl* TMainForm::ManualModule() const
{
    if (manualIndex_ < 0 || manualIndex_ < controls_->FirstFiringModuleIndex() ||
        manualIndex_ > controls_->LastFiringModuleIndex())
        return nullptr;
    return dynamic_cast<TCommonControl*>(controls_->DeviceAt(manualIndex_));
}

void TMainForm::RefreshManualKeys()
{
    TManualKeyboard& keys = *launch_->manualKeys;
    keys.HideModule();
    if (player_->Setup().firingMode == kFiringAutomatic)
        return;
    const TCommonControl* module = ManualModule();
    if (!module) {
        for (int key = 0; key < TManualKeyboard::kKeys; ++key)
            keys.ShowBlank(key);
        return;
    }
    keys.ShowModule(module->address, manualPage_ + 1);
    for (int key = 0; key < TManualKeyboard::kKeys; ++key)
        ShowManualKey(key, false);
}

void TMainForm::ShowManualKey(int key, bool fromEvent)
{
    const TCommonControl* module = ManualModule();
    if (!module)
        return;
    TManualKeyboard& keys = *launch_->manualKeys;
    const int channel = manualPage_ * TManualKeyboard::kKeys + key;
    if (channel < module->channelCount)
        keys.ShowChannel(key, channel, module->ChannelState(channel), module->ChannelFired(channel));
    else
        keys.ShowBlank(key, fromEvent);
}

void TMainForm::ManualArrowKey(int key)
{
    const int first = controls_->FirstFiringModuleIndex();
    const int last = controls_->LastFiringModuleIndex();
    if (controls_->FiringModuleCount() == 0) {
        manualIndex_ = -1;
        manualPage_ = 0;
    } else if (key == kVkLeft) {
        manualPage_ = std::max(manualPage_ - 1, 0);
    } else if (key == kVkRight) {
        const TCommonControl* module = ManualModule();
        if (module && manualPage_ < (module->channelCount - 1) / TManualKeyboard::kKeys)
            ++manualPage_;
    } else if (key == kVkUp || key == kVkDown) {
        const int step = key == kVkUp ? -1 : 1;
        if (key == kVkUp ? manualIndex_ > first : manualIndex_ < last) {
            do {
                manualIndex_ += step;
            } while (manualIndex_ != first && manualIndex_ != last &&
                     !IsFiringModuleAddress(controls_->DeviceAt(manualIndex_)->address));
            manualPage_ = 0;
        }
    }
    RefreshManualKeys();
}

void TMainForm::SetModuleBoost(TCommonControl& module, bool off)
{
    Ignore(module.SetBoost(off), "the module's row shows the boost it took");
    const std::string text = off ? Localize(11, "Выключение форсирования, пульт:")
                                 : Localize(10, "Включение форсирования, пульт:");
    WriteLog(text + " " + IntToText(module.address));
}

}  // namespace kv
