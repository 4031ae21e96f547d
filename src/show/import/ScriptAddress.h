#pragma once
// Module and channel numbers as show scripts write them.

#include <cstdint>
#include <optional>
#include <string_view>

namespace kv {

// Module addresses a script may name.
constexpr int32_t kLowestScriptModule = 1;
constexpr int32_t kHighestScriptModule = 239;
// Channels of a module's tables.
constexpr int32_t kScriptChannelCount = 512;

// Decimal, or hexadecimal after "$" or "0x"; within kLowestScriptModule..kHighestScriptModule.
std::optional<int32_t> ParseScriptModule(std::string_view text);
// A whole number from 1 on, decimal digits only: spreadsheets turn numbers into "3.0" or
// "1E2", which name no pin for sure.
std::optional<int32_t> ParseOneBased(std::string_view text);

struct THexAddress {
    int32_t module = 0;
    int32_t channel = 0;  // zero-based
};
// "$0A3", "0A3", "0A-3", "0x0A:3": the module in hexadecimal, then the pin as one hexadecimal
// digit from 0 (pin 0 is the first channel).
std::optional<THexAddress> ParseHexAddress(std::string_view text);

}  // namespace kv
