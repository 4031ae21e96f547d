#include "show/scenario/Timecode.h"

#include <algorithm>
#include <cctype>
#include <cstdio>

namespace kv {

namespace {

constexpr int64_t kDropFramesPerTenMinutes = 17982;  // 10 x 60 x 30 - 9 x 2
constexpr int64_t kDropFramesPerMinute = 1798;       // 60 x 30 - 2

int64_t FloorDiv(int64_t a, int64_t b)
{
    return a >= 0 ? a / b : -((-a + b - 1) / b);
}

}  // namespace

int LabelFps(TTimecodeRate rate)
{
    switch (rate) {
    case TTimecodeRate::Fps24: return 24;
    case TTimecodeRate::Fps25: return 25;
    case TTimecodeRate::Fps2997Drop:
    case TTimecodeRate::Fps30: return 30;
    default: return 0;
    }
}

int64_t FramePeriodUs(TTimecodeRate rate)
{
    switch (rate) {
    case TTimecodeRate::Fps24: return 41667;
    case TTimecodeRate::Fps25: return 40000;
    case TTimecodeRate::Fps2997Drop: return 33367;
    case TTimecodeRate::Fps30: return 33333;
    default: return 0;
    }
}

bool ValidLabel(const TTimecodeLabel& label, TTimecodeRate rate)
{
    const int fps = LabelFps(rate);
    if (fps == 0 || label.hours < 0 || label.hours > 23 || label.minutes < 0 ||
        label.minutes > 59 || label.seconds < 0 || label.seconds > 59 || label.frames < 0 ||
        label.frames >= fps)
        return false;
    return rate != TTimecodeRate::Fps2997Drop || label.seconds != 0 || label.frames >= 2 ||
           label.minutes % 10 == 0;
}

int64_t FrameIndex(const TTimecodeLabel& label, TTimecodeRate rate)
{
    const int64_t fps = LabelFps(rate);
    const int64_t minutes = int64_t{label.hours} * 60 + label.minutes;
    const int64_t nominal = (minutes * 60 + label.seconds) * fps + label.frames;
    if (rate != TTimecodeRate::Fps2997Drop)
        return nominal;
    return nominal - 2 * (minutes - minutes / 10);
}

TTimecodeLabel LabelAt(int64_t index, TTimecodeRate rate)
{
    const int64_t fps = std::max(LabelFps(rate), 1);
    int64_t nominal = index;
    if (rate == TTimecodeRate::Fps2997Drop) {
        const int64_t tens = FloorDiv(index, kDropFramesPerTenMinutes);
        const int64_t rest = index - tens * kDropFramesPerTenMinutes;
        nominal += 18 * tens + (rest < 2 ? 0 : 2 * ((rest - 2) / kDropFramesPerMinute));
    }
    TTimecodeLabel label;
    label.frames = static_cast<int>(nominal % fps);
    label.seconds = static_cast<int>(nominal / fps % 60);
    label.minutes = static_cast<int>(nominal / fps / 60 % 60);
    label.hours = static_cast<int>(nominal / fps / 3600);
    return label;
}

int64_t FrameStartMs(int64_t index, TTimecodeRate rate)
{
    switch (rate) {
    case TTimecodeRate::Fps24: return FloorDiv(index * 1000, 24);
    case TTimecodeRate::Fps25: return index * 40;
    case TTimecodeRate::Fps2997Drop: return FloorDiv(index * 1001, 30);
    case TTimecodeRate::Fps30: return FloorDiv(index * 1000, 30);
    default: return 0;
    }
}

int64_t FrameAtMs(int64_t ms, TTimecodeRate rate)
{
    switch (rate) {
    case TTimecodeRate::Fps24: return FloorDiv(ms * 24, 1000);
    case TTimecodeRate::Fps25: return FloorDiv(ms, 40);
    case TTimecodeRate::Fps2997Drop: return FloorDiv(ms * 30, 1001);
    case TTimecodeRate::Fps30: return FloorDiv(ms * 30, 1000);
    default: return 0;
    }
}

std::optional<TTimecodeLabel> ParseTimecode(const std::string& text)
{
    TTimecodeLabel label;
    char s1 = 0, s2 = 0, s3 = 0;
    int used = 0;
    if (std::sscanf(text.c_str(), " %2d%c%2d%c%2d%c%2d %n", &label.hours, &s1, &label.minutes, &s2,
                    &label.seconds, &s3, &label.frames, &used) != 7 ||
        static_cast<size_t>(used) != text.size() || s1 != ':' || s2 != ':' ||
        (s3 != ':' && s3 != ';') || !ValidLabel(label, TTimecodeRate::Fps30))
        return std::nullopt;
    return label;
}

std::string FormatTimecode(const TTimecodeLabel& label, bool dropFrame)
{
    char text[16];
    std::snprintf(text, sizeof text, "%02d:%02d:%02d%c%02d", label.hours, label.minutes,
                  label.seconds, dropFrame ? ';' : ':', label.frames);
    return text;
}

std::optional<TTimecodeRate> ParseTimecodeRate(const std::string& text)
{
    std::string name;
    for (const char c : text)
        if (!std::isspace(static_cast<unsigned char>(c)))
            name += static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    if (name == "auto" || name.empty())
        return TTimecodeRate::Auto;
    if (name == "24")
        return TTimecodeRate::Fps24;
    if (name == "25")
        return TTimecodeRate::Fps25;
    if (name == "29.97" || name == "29.97df" || name == "29.97drop-frame")
        return TTimecodeRate::Fps2997Drop;
    if (name == "30")
        return TTimecodeRate::Fps30;
    return std::nullopt;
}

std::string TimecodeRateName(TTimecodeRate rate)
{
    switch (rate) {
    case TTimecodeRate::Fps24: return "24";
    case TTimecodeRate::Fps25: return "25";
    case TTimecodeRate::Fps2997Drop: return "29.97 drop-frame";
    case TTimecodeRate::Fps30: return "30";
    default: return "auto";
    }
}

}  // namespace kv
