#include "show/scenario/CueTime.h"

#include "show/scenario/ScenarioFields.h"

#include <algorithm>
#include <charconv>
#include <cstdio>
#include <cstdlib>
#include <limits>
#include <optional>

namespace kv {

namespace {

bool IsDigit(char c)
{
    return c >= '0' && c <= '9';
}

std::optional<int64_t> ClockPart(std::string_view text, int64_t limit)
{
    if (text.empty() || !std::all_of(text.begin(), text.end(), IsDigit))
        return std::nullopt;
    int64_t value = 0;
    const auto [stop, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (error != std::errc() || value > limit)
        return std::nullopt;
    return value;
}

// H:M:S or M:S, each part in its clock range.
std::optional<int64_t> ClockSeconds(std::string_view text, size_t colons)
{
    constexpr int64_t kLimits[3] = {23, 59, 59};
    constexpr int64_t kSeconds[3] = {3600, 60, 1};
    int64_t total = 0;
    for (size_t index = 2 - colons; index < 3; ++index) {
        const size_t cut = text.find(':');
        const auto part = ClockPart(text.substr(0, cut), kLimits[index]);
        if (!part)
            return std::nullopt;
        total += *part * kSeconds[index];
        text.remove_prefix(cut == std::string_view::npos ? text.size() : cut + 1);
    }
    return total;
}

std::optional<int64_t> WholeSeconds(std::string_view text)
{
    const size_t colons = std::count(text.begin(), text.end(), ':');
    if (colons > 2)
        return std::nullopt;
    if (colons > 0)
        return ClockSeconds(text, colons);
    int32_t seconds = 0;
    if (!ParseDecimalInt(text, seconds))
        return std::nullopt;
    return seconds;
}

}  // namespace

std::optional<int32_t> ParseCueTime(std::string_view text)
{
    const size_t dot = text.find('.');
    const std::string_view whole = text.substr(0, dot);
    const std::string_view fraction =
        dot == std::string_view::npos ? std::string_view() : text.substr(dot + 1);

    const auto seconds = WholeSeconds(whole);
    // "12,5" or "12.5s" read in part would be a cue at another moment than the one written.
    if (!seconds || !std::all_of(fraction.begin(), fraction.end(), IsDigit))
        return std::nullopt;
    int64_t fractionMs = 0;
    int64_t weight = 100;
    for (size_t i = 0; i < fraction.size() && weight > 0; ++i, weight /= 10)
        fractionMs += (fraction[i] - '0') * weight;
    // -5.5 is five and a half seconds before zero, not four and a half.
    const bool negative = !whole.empty() && whole.front() == '-';
    const int64_t ms = *seconds * 1000 + (negative ? -fractionMs : fractionMs);
    // A time beyond 32 bits would wrap into an early cue.
    if (ms < std::numeric_limits<int32_t>::min() || ms > std::numeric_limits<int32_t>::max())
        return std::nullopt;
    return static_cast<int32_t>(ms);
}

std::string ScenarioTimeText(int32_t ms)
{
    char text[32];
    const int64_t magnitude = std::abs(static_cast<int64_t>(ms));
    const auto fraction = static_cast<int>(magnitude % 1000);
    const int64_t seconds = magnitude / 1000;
    // Clock texts stop at 23:59:59; seconds have no limit.
    if (ms < 0 || ms >= kScriptTimeLimit)
        std::snprintf(text, sizeof text, "%s%lld.%03d", ms < 0 ? "-" : "",
                      static_cast<long long>(seconds), fraction);
    else if (seconds < 3600)
        std::snprintf(text, sizeof text, "%lld:%02lld.%03d", static_cast<long long>(seconds / 60),
                      static_cast<long long>(seconds % 60), fraction);
    else
        std::snprintf(text, sizeof text, "%lld:%02lld:%02lld.%03d",
                      static_cast<long long>(seconds / 3600),
                      static_cast<long long>(seconds / 60 % 60),
                      static_cast<long long>(seconds % 60), fraction);
    return text;
}

}  // namespace kv
