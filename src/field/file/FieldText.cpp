#include "field/file/FieldText.h"

#include <charconv>
#include <cmath>

namespace kv {

std::vector<std::string> SplitItems(const std::string& text)
{
    std::vector<std::string> items;
    std::string item;
    for (const char c : text + ",") {
        if (c == ',' || c == ' ' || c == '\t') {
            if (!item.empty())
                items.push_back(item);
            item.clear();
        } else {
            item += c;
        }
    }
    return items;
}

std::optional<int64_t> ParseWhole(const std::string& text)
{
    int64_t value = 0;
    const char* end = text.data() + text.size();
    const auto [at, error] = std::from_chars(text.data(), end, value);
    if (error != std::errc() || at != end)
        return std::nullopt;
    return value;
}

std::optional<double> ParseDecimal(const std::string& text)
{
    double value = 0;
    const char* end = text.data() + text.size();
    const auto [at, error] = std::from_chars(text.data(), end, value);
    if (error != std::errc() || at != end || !std::isfinite(value))
        return std::nullopt;
    return value;
}

std::optional<int> ParseVersion(const std::string& text)
{
    std::string_view digits = text;
    if (digits.starts_with("0x") || digits.starts_with("0X"))
        digits.remove_prefix(2);
    int value = 0;
    const char* end = digits.data() + digits.size();
    const auto [at, error] = std::from_chars(digits.data(), end, value, 16);
    if (digits.empty() || error != std::errc() || at != end || value > 0xFFF)
        return std::nullopt;
    return value;
}

std::optional<std::vector<int>> ParseNumberList(const std::string& text)
{
    std::vector<int> numbers;
    for (const std::string& item : SplitItems(text)) {
        const auto span = ParseSpan(item);
        if (!span)
            return std::nullopt;
        const int64_t last = span->second.value_or(span->first);
        if (last - span->first > 4096)
            return std::nullopt;
        for (int64_t n = span->first; n <= last; ++n)
            numbers.push_back(static_cast<int>(n));
    }
    return numbers;
}

std::optional<std::vector<std::pair<int, double>>> ParsePairs(const std::string& text)
{
    std::vector<std::pair<int, double>> pairs;
    for (const std::string& item : SplitItems(text)) {
        const size_t colon = item.find(':');
        if (colon == std::string::npos)
            return std::nullopt;
        const auto number = ParseWhole(item.substr(0, colon));
        const auto value = ParseDecimal(item.substr(colon + 1));
        if (!number || !value)
            return std::nullopt;
        pairs.emplace_back(static_cast<int>(*number), *value);
    }
    return pairs;
}

std::optional<std::pair<int64_t, std::optional<int64_t>>> ParseSpan(const std::string& text)
{
    const size_t dash = text.find('-', 1);
    const auto from = ParseWhole(text.substr(0, dash));
    if (!from)
        return std::nullopt;
    // "FROM-" leaves the end open, as "FROM" does.
    if (dash == std::string::npos || dash + 1 == text.size())
        return std::pair{*from, std::optional<int64_t>{}};
    const auto to = ParseWhole(text.substr(dash + 1));
    if (!to || *to < *from)
        return std::nullopt;
    return std::pair{*from, std::optional<int64_t>{*to}};
}

std::optional<std::vector<uint8_t>> ParseBytes(const std::string& text)
{
    std::vector<uint8_t> bytes;
    for (const std::string& item : SplitItems(text)) {
        int value = 0;
        const char* end = item.data() + item.size();
        const auto [at, error] = std::from_chars(item.data(), end, value, 16);
        if (error != std::errc() || at != end || value > 255)
            return std::nullopt;
        bytes.push_back(static_cast<uint8_t>(value));
    }
    return bytes;
}

}  // namespace kv
