#include "tools/kvctl/CtlArguments.h"

#include "support/text/Conversions.h"
#include "support/platform/FilePlaces.h"

namespace kv {

namespace {

constexpr int kHighestAddress = 255;

}  // namespace

std::optional<int> ParseAddress(const std::string& text)
{
    if (text.empty() || text.find_first_not_of("0123456789") != std::string::npos ||
        text.size() > 3)
        return std::nullopt;
    const int value = std::stoi(text);
    if (value > kHighestAddress)
        return std::nullopt;
    return value;
}

std::optional<std::vector<int>> ParseAddressList(const std::string& text)
{
    std::vector<int> addresses;
    size_t start = 0;
    while (start <= text.size()) {
        size_t end = text.find(',', start);
        if (end == std::string::npos)
            end = text.size();
        const std::string item = text.substr(start, end - start);
        const size_t dash = item.find('-');
        const auto first = ParseAddress(item.substr(0, dash));
        const auto last = dash == std::string::npos ? first : ParseAddress(item.substr(dash + 1));
        if (!first || !last || *last < *first)
            return std::nullopt;
        for (int address = *first; address <= *last; ++address)
            addresses.push_back(address);
        start = end + 1;
    }
    return addresses;
}

std::vector<int> SearchRoundAddresses()
{
    std::vector<int> addresses;
    for (int address = 240; address <= 255; ++address)
        addresses.push_back(address);
    for (int address = 0; address < 240; ++address)
        addresses.push_back(address);
    return addresses;
}

std::optional<uint8_t> ParseHexByte(const std::string& text)
{
    std::string digits = text;
    if (digits.starts_with("0x") || digits.starts_with("0X"))
        digits.erase(0, 2);
    if (digits.empty() || digits.size() > 2 ||
        digits.find_first_not_of("0123456789abcdefABCDEF") != std::string::npos)
        return std::nullopt;
    return static_cast<uint8_t>(std::stoi(digits, nullptr, 16));
}

std::string CtlSettingsFile(const TCtlArguments& arguments)
{
    return FindFilePlaces(AppFolder(), arguments.settings).settingsFile;
}

}  // namespace kv
