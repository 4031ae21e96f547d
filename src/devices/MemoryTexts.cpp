#include "devices/MemoryTexts.h"

#include "devices/DeviceResults.h"
#include "support/AddedMessages.h"

namespace kv {

std::string MemoryStatusText(int result)
{
    switch (result) {
    case kResultAborted:
        return Localize(86, "Операция прервана.");
    case kResultMismatch:
        return Localize(85, "Несовпадение сценария в пультах.");
    case kResultNotSupported:
        return Localize(kMsgNotSupported);
    case kResultTimeOutsideMemory:
        return Localize(kMsgTimeOutsideMemory);
    case kLinkNoReply:
        return Localize(84, "Ошибка передачи данных (истекло время ожидания).");
    case kLinkWriteFailed:
        return Localize(83, "Ошибка передачи данных.");
    default:
        return result < 0 ? Localize(82, "Ошибка устройства.") : Localize(87, "Успешно");
    }
}

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
