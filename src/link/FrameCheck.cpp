#include "link/FrameCheck.h"

#include <array>

namespace kv {

namespace {

constexpr std::array<uint8_t, 256> MakeTable()
{
    std::array<uint8_t, 256> table{};
    for (int value = 0; value < 256; ++value) {
        uint8_t crc = static_cast<uint8_t>(value);
        for (int bit = 0; bit < 8; ++bit)
            crc = (crc & 1) ? static_cast<uint8_t>((crc >> 1) ^ 0x8C) : static_cast<uint8_t>(crc >> 1);
        table[static_cast<size_t>(value)] = crc;
    }
    return table;
}

constexpr std::array<uint8_t, 256> kTable = MakeTable();
static_assert(kTable[1] == 0x5E);

}  // namespace

uint8_t FrameCheck(const uint8_t* bytes, size_t count)
{
    uint8_t crc = 0;
    for (size_t i = 0; i < count; ++i)
        crc = kTable[crc ^ bytes[i]];
    return crc;
}

}  // namespace kv
