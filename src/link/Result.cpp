#include "link/Result.h"

#include "support/lang/AddedMessages.h"

namespace kv {

std::string ResultText(int result)
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

}  // namespace kv
