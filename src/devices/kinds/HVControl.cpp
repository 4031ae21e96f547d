#include "devices/kinds/HVControl.h"

#include "devices/kinds/ChannelCharge.h"
#include "link/PortProto.h"
#include "link/Result.h"

namespace kv {

THVControl::THVControl(TPortProto& port, int32_t address) : TAutoControl(port, address)
{
    deviceType = 3;
}

void THVControl::Refresh()
{
    TAutoControl::Refresh();
    hvSetting = ReadHVSetting();
}

TResult THVControl::MeasureChannel(int channel, double& value)
{
    const TResult result = TAutoControl::MeasureChannel(channel, value);
    value *= 100;
    return result;
}

TResult THVControl::HighVoltageOff()
{
    const TResult result = port_.HighVoltageOff(address, converterIndex, attemptMode);
    if (result == 0) {
        modeState = 1;
        boostState = 1;
    }
    return result;
}

int THVControl::ReadHVSetting()
{
    int value = 0;
    int check = 0;
    // Taken for 0, a failed read looked like a setting the operator had chosen.
    if (port_.ReadConfig(address, converterIndex, attemptMode, kConfigHighVoltage, value, check))
        return kHVSettingUnknown;
    return value;
}

TResult THVControl::WriteHVSetting(int value)
{
    const TResult result =
        port_.WriteConfig(address, converterIndex, attemptMode, kConfigHighVoltage, value);
    if (result == 0)
        hvSetting = value;
    return result;
}

TResult THVControl::FireWithCharge(int channel, int voltage)
{
    if (!ValidChannel(channel))
        return kResultBadChannel;
    return port_.FireChannel(address, converterIndex, attemptMode, channel, voltage);
}

TResult THVControl::SetCharge(int voltage)
{
    return port_.SetCharge(address, converterIndex, attemptMode, voltage);
}

int THVControl::ChannelCharge(int channel) const
{
    // Derived at every read: a table filled when the service panel was drawn went stale for
    // the player and kvctl after each channel test or change of the setting.
    if (!ValidChannel(channel) || channel >= channelCount)
        return 0;
    return ChargeVolts(ChannelValue(channel), hvSetting);
}

}  // namespace kv
