#include "support/text/Conversions.h"

#include <algorithm>
#include <chrono>
#include <charconv>
#include <cmath>
#include <limits>

namespace kv {

namespace {

char LowerAscii(char c)
{
    return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
}

int HexDigit(char c)
{
    if (c >= '0' && c <= '9')
        return c - '0';
    c = LowerAscii(c);
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    return -1;
}

// A double beyond the int64 range cannot be converted safely: it is clamped, NaN gives 0.
int64_t TruncToInt64(double x)
{
    if (std::isnan(x))
        return 0;
    constexpr double limit = 9223372036854775807.0;
    if (x >= limit)
        return std::numeric_limits<int64_t>::max();
    if (x <= -limit)
        return std::numeric_limits<int64_t>::min();
    return static_cast<int64_t>(std::trunc(x));
}

std::string TwoDigits(int value)
{
    return std::string{static_cast<char>('0' + value / 10 % 10), static_cast<char>('0' + value % 10)};
}

std::string TimeOfDayText(int hours, int minutes, int seconds)
{
    return std::to_string(hours) + ":" + TwoDigits(minutes) + ":" + TwoDigits(seconds);
}

}  // namespace

std::string_view TrimBlanks(std::string_view text)
{
    const auto blank = [](char c) { return c == ' ' || c == '\t'; };
    while (!text.empty() && blank(text.front()))
        text.remove_prefix(1);
    while (!text.empty() && blank(text.back()))
        text.remove_suffix(1);
    return text;
}

std::string IntToText(int64_t value)
{
    return std::to_string(value);
}

int64_t TruncNudged(double x)
{
    return TruncToInt64(x >= 0 ? x + 0.00001 : x - 0.00001);
}

int64_t RoundHalfAway(double x)
{
    // In whole ten-thousandths the two roundings are exact integer steps.
    if (!(std::fabs(x) < 9e14))
        return TruncNudged(x);
    const int64_t units = std::llround(x * 10000.0);
    const int64_t whole = (std::abs(units) + 5000) / 10000;
    return units < 0 ? -whole : whole;
}

int Percent(long long done, long long total)
{
    if (total == 0)
        return 0;
    return static_cast<int>(RoundHalfAway(static_cast<double>(done) / total * 100));
}

std::string ClockText(int64_t ms, int decimals)
{
    const uint64_t magnitude = ms < 0 ? 0 - static_cast<uint64_t>(ms) : static_cast<uint64_t>(ms);
    const uint64_t seconds = magnitude / 1000;
    const int fraction = static_cast<int>(magnitude % 1000);
    std::string text = (ms < 0 ? "-" : "") +
                       TimeOfDayText(static_cast<int>(seconds / 3600 % 24),
                                     static_cast<int>(seconds / 60 % 60),
                                     static_cast<int>(seconds % 60));
    switch (decimals) {
    case 1:
        return text + "." + std::to_string(fraction / 100);
    case 2:
        return text + "." + TwoDigits(fraction / 10);
    case 3:
        return text + "." + std::to_string(fraction / 100) + TwoDigits(fraction % 100);
    default:
        return text;
    }
}

std::string EnsureExtension(const std::string& name, const std::string& extension)
{
    const size_t slash = name.find_last_of('/');
    const size_t dot = name.find_last_of('.');
    if (dot != std::string::npos && (slash == std::string::npos || dot > slash)) {
        const std::string current = name.substr(dot);
        if (std::equal(current.begin(), current.end(), extension.begin(), extension.end(),
                       [](char a, char b) { return LowerAscii(a) == LowerAscii(b); }))
            return name;
    }
    return name + extension;
}

std::optional<int64_t> ParseInteger(std::string_view text, int bits)
{
    while (!text.empty() && (text.front() == ' ' || text.front() == '\t'))
        text.remove_prefix(1);
    bool negative = false;
    if (!text.empty() && (text.front() == '+' || text.front() == '-')) {
        negative = text.front() == '-';
        text.remove_prefix(1);
    }
    int base = 10;
    if (text.starts_with('$')) {
        base = 16;
        text.remove_prefix(1);
    } else if (text.starts_with("0x") || text.starts_with("0X")) {
        base = 16;
        text.remove_prefix(2);
    }
    if (text.empty())
        return std::nullopt;

    const uint64_t allBits = bits >= 64 ? ~uint64_t{0} : (uint64_t{1} << bits) - 1;
    const uint64_t limit = base == 16 ? allBits : (allBits >> 1) + (negative ? 1 : 0);
    uint64_t value = 0;
    for (const char c : text) {
        const int digit = HexDigit(c);
        if (digit < 0 || digit >= base)
            return std::nullopt;
        if (value > (limit - static_cast<uint64_t>(digit)) / static_cast<uint64_t>(base))
            return std::nullopt;
        value = value * static_cast<uint64_t>(base) + static_cast<uint64_t>(digit);
    }
    if (negative)
        value = ~value + 1;
    // Two's complement within the width, so $FFFFFFFF reads as -1 for 32 bits.
    if (bits < 64) {
        value &= allBits;
        const uint64_t signBit = uint64_t{1} << (bits - 1);
        if (value & signBit)
            value |= ~allBits;
    }
    return static_cast<int64_t>(value);
}

int64_t TextToIntOrZero(const std::string& text)
{
    return ParseInteger(text).value_or(0);
}

double TextToReal(const std::string& text)
{
    std::string normal(TrimBlanks(text));
    std::replace(normal.begin(), normal.end(), ',', '.');
    std::string_view digits = normal;
    if (digits.starts_with('+'))
        digits.remove_prefix(1);
    if (digits.empty() || digits == "-")
        return 0;
    double value = 0;
    const auto [end, error] = std::from_chars(digits.data(), digits.data() + digits.size(), value,
                                              std::chars_format::general);
    if (error != std::errc() || end != digits.data() + digits.size() || !std::isfinite(value))
        return 0;
    return value;
}

uint64_t HexToInt(const std::string& text)
{
    uint64_t value = 0;
    for (const char c : text) {
        const int digit = HexDigit(c);
        if (digit < 0)
            break;
        value = (value << 4) | static_cast<uint64_t>(digit);
    }
    return value;
}

std::string ShortDateText(const std::tm& time)
{
    return TwoDigits(time.tm_mday) + "." + TwoDigits(time.tm_mon + 1) + "." +
           std::to_string(time.tm_year + 1900);
}

std::string DateTimeText(const std::tm& time)
{
    return ShortDateText(time) + " " + TimeOfDayText(time.tm_hour, time.tm_min, time.tm_sec);
}

std::tm LocalTimeNow()
{
    const std::time_t now = std::chrono::system_clock::to_time_t(std::chrono::system_clock::now());
    std::tm local{};
    localtime_r(&now, &local);
    return local;
}

}  // namespace kv
