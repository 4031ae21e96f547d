#include "field/devices/BlackBox.h"

#include <cstddef>

namespace kv {

TBlackBox::TBlackBox() : memory_(kEndAddress, 0xFF)
{
}

void TBlackBox::Log(TBlackBoxEvent event, int channelNumber, int64_t showMs)
{
    constexpr int kWords = (kEndAddress - kFirstAddress) / 4;
    // The log wraps round like a flight recorder: the newest events matter most.
    const size_t at = static_cast<size_t>(kFirstAddress + 4 * (count_ % kWords));
    const int64_t t = showMs / 100;
    memory_[at] = static_cast<uint8_t>(event);
    memory_[at + 1] = static_cast<uint8_t>(channelNumber);
    memory_[at + 2] = static_cast<uint8_t>(t >> 8);
    memory_[at + 3] = static_cast<uint8_t>(t);
    count_ = (count_ + 1) & 0xFFFF;
}

std::array<uint8_t, 4> TBlackBox::Read(int address) const
{
    std::array<uint8_t, 4> word{};
    for (int i = 0; i < 4; ++i) {
        const int at = address + i;
        if (at >= kFirstAddress && at < kEndAddress)
            word[static_cast<size_t>(i)] = memory_[static_cast<size_t>(at)];
    }
    return word;
}

}  // namespace kv
