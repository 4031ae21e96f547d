#pragma once
// The per-channel tables of a firing module hold 512 entries; every index is checked first.

namespace kv {

constexpr int kChannelSlots = 512;

constexpr bool ValidChannel(int channel)
{
    return channel >= 0 && channel < kChannelSlots;
}

}  // namespace kv
