#include "show/import/ScriptAddress.h"

#include "support/text/Conversions.h"

#include <algorithm>

namespace kv {

namespace {

bool IsHexDigit(char c)
{
    return (c >= '0' && c <= '9') || (c >= 'a' && c <= 'f') || (c >= 'A' && c <= 'F');
}

int HexValue(char c)
{
    if (c <= '9')
        return c - '0';
    return (c | 0x20) - 'a' + 10;
}

bool IsModule(int64_t value)
{
    return value >= kLowestScriptModule && value <= kHighestScriptModule;
}

}  // namespace

std::optional<int32_t> ParseScriptModule(std::string_view text)
{
    text = TrimBlanks(text);
    // A sign names no module.
    if (text.empty() || text.front() == '+' || text.front() == '-')
        return std::nullopt;
    const auto value = ParseInteger(text, 32);
    if (!value || !IsModule(*value))
        return std::nullopt;
    return static_cast<int32_t>(*value);
}

std::optional<int32_t> ParseOneBased(std::string_view text)
{
    text = TrimBlanks(text);
    if (text.empty() || text.size() > 6 ||
        !std::all_of(text.begin(), text.end(), [](char c) { return c >= '0' && c <= '9'; }))
        return std::nullopt;
    int32_t value = 0;
    for (const char c : text)
        value = value * 10 + (c - '0');
    if (value < 1)
        return std::nullopt;
    return value;
}

std::optional<THexAddress> ParseHexAddress(std::string_view text)
{
    text = TrimBlanks(text);
    if (text.starts_with('$'))
        text.remove_prefix(1);
    else if (text.starts_with("0x") || text.starts_with("0X"))
        text.remove_prefix(2);
    std::string_view module = text;
    std::string_view pin;
    const size_t separator = text.find_first_of("-:./ ");
    if (separator != std::string_view::npos) {
        module = text.substr(0, separator);
        pin = text.substr(separator + 1);
    } else if (!text.empty()) {
        module = text.substr(0, text.size() - 1);
        pin = text.substr(text.size() - 1);
    }
    if (module.empty() || module.size() > 2 || pin.size() != 1 ||
        !std::all_of(module.begin(), module.end(), IsHexDigit) || !IsHexDigit(pin[0]))
        return std::nullopt;
    int32_t address = 0;
    for (const char c : module)
        address = address * 16 + HexValue(c);
    if (!IsModule(address))
        return std::nullopt;
    return THexAddress{address, HexValue(pin[0])};
}

}  // namespace kv
