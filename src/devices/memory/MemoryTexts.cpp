#include "devices/memory/MemoryTexts.h"

#include "support/lang/Localizer.h"

namespace kv {

std::string MemoryProgressLabel(int index, int channel, int address)
{
    if (index == -1)
        return {};
    std::string label = Localize(78, "Пульт:") + " " + std::to_string(address);
    if (channel != -1)
        label += Localize(79, ", канал:") + " " + std::to_string(channel);
    return label;
}

}  // namespace kv
