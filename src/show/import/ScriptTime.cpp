#include "show/import/ScriptTime.h"

#include "show/scenario/Timecode.h"
#include "support/text/Conversions.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>

namespace kv {

namespace {

bool IsDigit(char c)
{
    return c >= '0' && c <= '9';
}

// Digits only, at most nine of them (a day in ms has eight).
std::optional<int64_t> Whole(std::string_view digits)
{
    if (digits.empty() || digits.size() > 9 || !std::all_of(digits.begin(), digits.end(), IsDigit))
        return std::nullopt;
    int64_t value = 0;
    for (const char c : digits)
        value = value * 10 + (c - '0');
    return value;
}

// A fraction's digits in thousandths, rounded half up on the fourth.
std::optional<int64_t> Thousandths(std::string_view digits)
{
    if (!std::all_of(digits.begin(), digits.end(), IsDigit))
        return std::nullopt;
    int64_t value = 0;
    for (size_t i = 0; i < 3; ++i)
        value = value * 10 + (i < digits.size() ? digits[i] - '0' : 0);
    return value + (digits.size() > 3 && digits[3] >= '5' ? 1 : 0);
}

// "12", "12.5", "12,5"; a number of units in thousandths of a unit.
std::optional<int64_t> DecimalThousandths(std::string_view text)
{
    const size_t point = text.find_first_of(".,");
    const auto whole = Whole(text.substr(0, point));
    if (!whole)
        return std::nullopt;
    if (point == std::string_view::npos)
        return *whole * 1000;
    const std::string_view fraction = text.substr(point + 1);
    const auto part = Thousandths(fraction);
    if (fraction.empty() || !part)
        return std::nullopt;
    return *whole * 1000 + *part;
}

std::optional<int64_t> ClockMs(std::string_view text)
{
    const size_t colons = static_cast<size_t>(std::count(text.begin(), text.end(), ':'));
    if (colons < 1 || colons > 2)
        return std::nullopt;
    const size_t last = text.rfind(':');
    const auto seconds = DecimalThousandths(text.substr(last + 1));
    if (!seconds || *seconds >= 60'000)
        return std::nullopt;
    std::string_view rest = text.substr(0, last);
    int64_t minutes = 0;
    int64_t hours = 0;
    if (colons == 2) {
        const size_t first = rest.find(':');
        const auto h = Whole(rest.substr(0, first));
        if (!h)
            return std::nullopt;
        hours = *h;
        rest = rest.substr(first + 1);
        const auto m = Whole(rest);
        if (!m || *m >= 60)
            return std::nullopt;
        minutes = *m;
    } else {
        const auto m = Whole(rest);
        if (!m)
            return std::nullopt;
        minutes = *m;
    }
    return (hours * 60 + minutes) * 60'000 + *seconds;
}

std::optional<int32_t> WithinADay(std::optional<int64_t> ms)
{
    if (!ms || *ms < 0 || *ms >= kScriptTimeLimit)
        return std::nullopt;
    return static_cast<int32_t>(*ms);
}

}  // namespace

std::optional<int32_t> ParseScriptTime(std::string_view text, TTimeUnit unit)
{
    text = TrimBlanks(text);
    if (text.find(':') != std::string_view::npos)
        return WithinADay(ClockMs(text));
    if (unit == TTimeUnit::Milliseconds)
        return WithinADay(Whole(text));
    return WithinADay(DecimalThousandths(text));
}

std::optional<int32_t> FrameTime(std::string_view hours, std::string_view minutes,
                                 std::string_view seconds, std::string_view frames, double fps,
                                 bool dropFrame)
{
    const auto h = Whole(TrimBlanks(hours));
    const auto m = Whole(TrimBlanks(minutes));
    const auto s = Whole(TrimBlanks(seconds));
    const auto f = Whole(TrimBlanks(frames));
    if (!h || !m || !s || !f)
        return std::nullopt;
    if (dropFrame) {
        const TTimecodeLabel label{static_cast<int>(*h), static_cast<int>(*m),
                                   static_cast<int>(*s), static_cast<int>(*f)};
        if (!ValidLabel(label, TTimecodeRate::Fps2997Drop))
            return std::nullopt;
        return WithinADay(std::llround(
            static_cast<double>(FrameIndex(label, TTimecodeRate::Fps2997Drop)) * 1001 / 30));
    }
    if (*m >= 60 || *s >= 60 || !(fps > 0) || *f >= fps)
        return std::nullopt;
    const auto perLabelSecond = static_cast<int64_t>(std::ceil(fps));
    const int64_t frame = ((*h * 60 + *m) * 60 + *s) * perLabelSecond + *f;
    return WithinADay(std::llround(static_cast<double>(frame) * 1000 / fps));
}

}  // namespace kv
