#include "devices/readiness/ChannelTest.h"

#include "devices/registry/Controls.h"
#include "devices/kinds/HVControl.h"
#include "support/lang/Localizer.h"
#include "support/platform/Platform.h"
#include "support/log/RunLog.h"

#include <algorithm>

namespace kv {

bool TChannelTest::TestModule(TCommonControl& module)
{
    module.ClearChannels();
    if (OnModule)
        OnModule(module);
    stopRequested = false;
    if (auto* highVoltage = dynamic_cast<THVControl*>(&module))
        highVoltage->hvSetting = highVoltage->ReadHVSetting();
    const int channels = std::clamp(module.channelCount, 0, kChannelSlots);
    for (int channel = 0; channel < channels && !stopRequested; ++channel) {
        // Red while it is measured.
        Ignore(module.SetChannelState(channel, kChannelFault), "within the tables");
        double value = 0;
        if (module.MeasureChannel(channel, value) == kLinkOk)
            Ignore(module.ClassifyChannel(channel, value, thresholds), "within the tables");
        if (OnChannel)
            OnChannel(module, channel);
    }
    module.channelsTestedAt = Platform().TickCount();
    WriteLog(ChannelTestLogLine(module));
    return !stopRequested;
}

bool TChannelTest::TestAll()
{
    const int first = controls_.FirstFiringModuleIndex();
    if (first < 0)
        return true;
    for (int index = first; index < controls_.Count(); ++index) {
        TCommonDevice* device = controls_.DeviceAt(index);
        auto* module = dynamic_cast<TCommonControl*>(device);
        if (!module || !IsFiringModuleAddress(device->address))
            continue;
        if (!TestModule(*module))
            return false;
    }
    return true;
}

std::string ChannelTestLogLine(const TCommonControl& module)
{
    return Localize(21, "Тест каналов, пульт:") + " " + std::to_string(module.address) +
           Localize(22, ", каналов:") + " " + std::to_string(module.channelCount) +
           Localize(23, ", подключено:") + " " + std::to_string(module.ConnectedCount());
}

}  // namespace kv
