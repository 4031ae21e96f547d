#include "console/ConsoleSettings.h"

#include "support/Conversions.h"

#include <algorithm>
#include <limits>

namespace kv {

namespace {

double Threshold(const TIniFile& ini, const std::string& key, const std::string& defaultText)
{
    return TextToReal(ini.ReadString("settings", key, defaultText));
}

}  // namespace

TConsoleSettings ReadConsoleSettings(const TIniFile& ini)
{
    TConsoleSettings settings;
    const int64_t key = ini.ReadInteger("keys", "StartBtn", kKeyF5);
    // Beyond 32 bits no key matches anyway; clamping keeps it so without wrapping onto one.
    settings.startKey = static_cast<int>(std::clamp<int64_t>(
        key, std::numeric_limits<int32_t>::min(), std::numeric_limits<int32_t>::max()));
    settings.thresholds.connectResistLo = Threshold(ini, "ConnectResistLo", "1");
    settings.thresholds.connectResist = Threshold(ini, "ConnectResist", "20");
    settings.thresholds.connectResistHi = Threshold(ini, "ConnectResistHi", "200");
    settings.port = ini.ReadString("link", "Port", "auto");
    return settings;
}

}  // namespace kv
