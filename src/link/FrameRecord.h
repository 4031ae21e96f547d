#pragma once
// What commands build, replies return and events carry: a bus frame without its check byte.

#include <array>
#include <cstdint>

namespace kv {

// code, four argument bytes, address
using TFrameRecord = std::array<uint8_t, 6>;

constexpr int kFrameSize = 7;  // the record and its FrameCheck

// Result codes of every bus operation.
constexpr int kLinkOk = 0;
constexpr int kLinkNotConnected = -1;  // also a device error or a failed comparison
constexpr int kLinkWriteFailed = -2;   // write, echo or reply failure
constexpr int kLinkNoReply = -3;

}  // namespace kv
