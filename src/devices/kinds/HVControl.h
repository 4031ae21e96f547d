#pragma once
// A high-voltage firing module: it charges each channel before firing it.

#include "devices/kinds/AutoControl.h"

namespace kv {

// The setting could not be read: the charges computed from it are the least, 1 V.
constexpr int32_t kHVSettingUnknown = -1;

class THVControl : public TAutoControl {
public:
    THVControl(TPortProto& port, int32_t address);

    void Refresh() override;
    TResult MeasureChannel(int channel, double& value) override;

    // Switches the charge off; the module is then in test mode with its boost off.
    TResult HighVoltageOff();
    // kHVSettingUnknown when the module does not answer.
    int ReadHVSetting();
    TResult WriteHVSetting(int value);
    // The fire command carrying the charge for the module's next shot.
    TResult FireWithCharge(int channel, int voltage);
    // Charges the module for its next shot, to be fired later.
    TResult SetCharge(int voltage);

    // The charge voltage for the channel, from its last measured resistance and the current
    // setting; 0 for a channel the module does not have.
    int ChannelCharge(int channel) const;

    int32_t hvSetting = kHVSettingUnknown;

protected:
    bool HighVoltageStatus() const override { return true; }
};

}  // namespace kv
