#pragma once
// The small value forms of the field description file.

#include <cstdint>
#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace kv {

// Items separated by commas or blanks.
std::vector<std::string> SplitItems(const std::string& text);
std::optional<int64_t> ParseWhole(const std::string& text);
std::optional<double> ParseDecimal(const std::string& text);  // "." as the decimal point
// Firmware versions as the devices tell them: three hex digits, "0x" allowed.
std::optional<int> ParseVersion(const std::string& text);
// "3, 7, 10-12": numbers and ranges.
std::optional<std::vector<int>> ParseNumberList(const std::string& text);
// "4:12.5, 9:150": number and value pairs.
std::optional<std::vector<std::pair<int, double>>> ParsePairs(const std::string& text);
// "5000" or "5000-8000".
std::optional<std::pair<int64_t, std::optional<int64_t>>> ParseSpan(const std::string& text);
// "90 00 7B 80": hex bytes.
std::optional<std::vector<uint8_t>> ParseBytes(const std::string& text);

}  // namespace kv
