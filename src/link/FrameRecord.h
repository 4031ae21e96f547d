#pragma once
// What commands build, replies return and events carry: a bus frame without its check byte.

#include <array>
#include <cstdint>

namespace kv {

// code, four argument bytes, address
using TFrameRecord = std::array<uint8_t, 6>;

constexpr int kFrameSize = 7;  // the record and its FrameCheck

}  // namespace kv
