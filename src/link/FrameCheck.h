#pragma once
// The check byte of a bus frame: Dallas/Maxim 1-Wire CRC-8 (x^8 + x^5 + x^4 + 1, LSB first,
// initial value 0, no final inversion). The only code the simulated field shares with the link.

#include <cstddef>
#include <cstdint>

namespace kv {

uint8_t FrameCheck(const uint8_t* bytes, size_t count);

}  // namespace kv
