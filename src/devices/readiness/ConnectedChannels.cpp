#include "devices/readiness/ConnectedChannels.h"

#include "devices/kinds/CommonControl.h"
#include "devices/registry/Controls.h"
#include "support/text/Conversions.h"
#include "support/platform/FilePlaces.h"
#include "support/lang/Localizer.h"
#include "support/text/SavedFile.h"
#include "support/text/TextEncoding.h"


namespace kv {

std::vector<std::string> ConnectedChannelsLines(const TControls& controls)
{
    std::vector<std::string> lines;
    for (int index = 0; index < controls.Count(); ++index) {
        const auto* module = dynamic_cast<const TCommonControl*>(controls.DeviceAt(index));
        if (!module || !IsFiringModuleAddress(module->address))
            continue;
        lines.push_back(Localize(55, "Пульт, ID=") + std::to_string(module->address));
        lines.push_back(Localize(56, "Подключенных каналов:") + " " +
                        std::to_string(module->ConnectedCount()));
        for (int channel = 0; channel < module->channelCount; ++channel)
            if (module->ChannelState(channel) == kChannelConnected)
                lines.push_back(Localize(57, "Канал №") + " " + std::to_string(channel + 1));
        lines.emplace_back();
        lines.emplace_back();
    }
    return lines;
}

std::string ProposedChannelsFileName()
{
    return RecordsFolder() + Localize(54, "подключенные каналы");
}

std::string ChannelsFileName(const std::string& chosen)
{
    return EnsureExtension(chosen, ".txt");
}

std::string WriteConnectedChannelsFile(const std::string& path, const TControls& controls)
{
    std::string text;
    for (const std::string& line : ConnectedChannelsLines(controls))
        text += EncodeCp1251(line) + "\r\n";
    return SaveFileBytes(path, text);
}

}  // namespace kv
