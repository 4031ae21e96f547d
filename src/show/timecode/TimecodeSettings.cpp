#include "show/timecode/TimecodeSettings.h"

#include "support/text/IniFile.h"

#include <algorithm>
#include <cctype>

namespace kv {

namespace {

constexpr char kSection[] = "timecode";

int32_t ReadBounded(const TIniFile& ini, const char* key, int32_t fallback, int32_t low,
                    int32_t high)
{
    const int64_t value = ini.ReadInteger(kSection, key, fallback);
    return value < low || value > high ? fallback : static_cast<int32_t>(value);
}

std::string Lowered(std::string text)
{
    std::transform(text.begin(), text.end(), text.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return text;
}

}  // namespace

TTimecodeSettings ReadTimecodeSettings(const TIniFile& ini)
{
    TTimecodeSettings settings;
    settings.source = ini.ReadString(kSection, "Source", "");
    if (const auto rate = ParseTimecodeRate(ini.ReadString(kSection, "Rate", "auto")))
        settings.rate = *rate;
    if (const auto zero = ParseTimecode(ini.ReadString(kSection, "Zero", "00:00:00:00")))
        settings.zero = *zero;
    if (Lowered(ini.ReadString(kSection, "OnLoss", "freewheel")) == "stop")
        settings.onLoss = TTimecodeLoss::Stop;
    settings.freewheelMs = ReadBounded(ini, "FreewheelMs", settings.freewheelMs, 0, 600000);
    settings.withinFrame =
        ini.ReadInteger(kSection, "WithinFrame", settings.withinFrame ? 1 : 0) != 0;
    settings.lockFrames = ReadBounded(ini, "LockFrames", settings.lockFrames, 2, 250);
    settings.unlockFrames = ReadBounded(ini, "UnlockFrames", settings.unlockFrames, 1, 250);
    settings.joinLate = ini.ReadInteger(kSection, "JoinLate", 0) != 0;
    settings.jumpLimitMs = ReadBounded(ini, "JumpLimitMs", settings.jumpLimitMs, 0, 3600000);
    TTimecodeOutputSettings& output = settings.output;
    output.target.sink = ini.ReadString(kSection, "Output", "");
    // The soundtrack plays on the server's default sink.
    if (Lowered(output.target.sink) == "soundtrack") {
        output.target.sink.clear();
        output.target.side = TSoundSide::Right;
    }
    const auto rate = ParseTimecodeRate(ini.ReadString(kSection, "OutputRate", "25"));
    if (rate && *rate != TTimecodeRate::Auto)
        output.rate = *rate;
    if (const auto zero = ParseTimecode(ini.ReadString(kSection, "OutputZero", "00:00:00:00")))
        output.zero = *zero;
    output.on = ini.ReadInteger(kSection, "OutputOn", 0) != 0;
    return settings;
}

}  // namespace kv
