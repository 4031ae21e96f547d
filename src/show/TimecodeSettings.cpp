#include "show/TimecodeSettings.h"

#include "support/IniFile.h"

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

}  // namespace

TTimecodeSettings ReadTimecodeSettings(const TIniFile& ini)
{
    TTimecodeSettings settings;
    settings.source = ini.ReadString(kSection, "Source", "");
    if (const auto rate = ParseTimecodeRate(ini.ReadString(kSection, "Rate", "auto")))
        settings.rate = *rate;
    if (const auto zero = ParseTimecode(ini.ReadString(kSection, "Zero", "00:00:00:00")))
        settings.zero = *zero;
    std::string loss = ini.ReadString(kSection, "OnLoss", "freewheel");
    std::transform(loss.begin(), loss.end(), loss.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    if (loss == "stop")
        settings.onLoss = TTimecodeLoss::Stop;
    settings.freewheelMs = ReadBounded(ini, "FreewheelMs", settings.freewheelMs, 0, 600000);
    settings.lockFrames = ReadBounded(ini, "LockFrames", settings.lockFrames, 2, 250);
    settings.jumpLimitMs = ReadBounded(ini, "JumpLimitMs", settings.jumpLimitMs, 0, 3600000);
    return settings;
}

}  // namespace kv
