#include "link/FireCommand.h"

#include "link/BusEncoding.h"

namespace kv {

namespace {

constexpr uint8_t kFireCode = 0x84;
constexpr uint8_t kReplyAsked = 0x80;  // in byte 4: the set-charge command

}  // namespace

TFrameRecord EncodeFire(const TFireCommand& command)
{
    return {kFireCode,
            ChannelLow(command.channel),
            ChannelHigh(command.channel),
            ValueHigh(command.chargeValue),
            ValueLow(command.chargeValue),
            static_cast<uint8_t>(command.address)};
}

std::optional<TFireCommand> DecodeFire(const TFrameRecord& frame)
{
    const int busChannel = frame[1] + 256 * frame[2];
    if (frame[0] != kFireCode || (frame[4] & kReplyAsked) != 0 || busChannel == 0)
        return std::nullopt;
    return TFireCommand{frame[5], busChannel - 1, ((frame[3] & 0x7F) << 7) | frame[4]};
}

}  // namespace kv
