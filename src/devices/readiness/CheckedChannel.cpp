#include "devices/readiness/CheckedChannel.h"

#include "devices/kinds/CommonControl.h"
#include "devices/registry/Controls.h"
#include "support/lang/Localizer.h"

namespace kv {

std::string ChannelStateWord(uint8_t state)
{
    switch (state) {
    case kChannelConnected:
        return Localize(50, "подключен");
    case kChannelOpen:
        return Localize(51, "неподключен");
    case kChannelFault:
        return Localize(52, "ошибка");
    default:
        return Localize(49, "неизвестно");
    }
}

std::string CheckedChannelLogLine(const TControls& controls, int module, int channel)
{
    const auto* device = dynamic_cast<const TCommonControl*>(controls.FindByAddress(module));
    const uint8_t state = device ? device->ChannelState(channel) : uint8_t{kChannelUntested};
    return Localize(21, "Тест канала, пульт:") + " " + std::to_string(module) +
           Localize(13, ", канал:") + " " + std::to_string(channel + 1) +
           Localize(53, ", состояние:") + " " + ChannelStateWord(state);
}

}  // namespace kv
