#include "console/ConsoleSettings.h"

#include "support/Conversions.h"

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
    settings.startKey = static_cast<int>(ini.ReadInteger("keys", "StartBtn", kKeyF5));
    settings.thresholds.connectResistLo = Threshold(ini, "ConnectResistLo", "1");
    settings.thresholds.connectResist = Threshold(ini, "ConnectResist", "20");
    settings.thresholds.connectResistHi = Threshold(ini, "ConnectResistHi", "200");
    settings.port = ini.ReadString("link", "Port", "auto");
    return settings;
}

}  // namespace kv
