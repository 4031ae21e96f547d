#include "console/app/ConsoleSettings.h"

#include "devices/ConnectThresholds.h"
#include "show/CommonPlayer.h"

namespace kv {

TConsoleSettings ReadConsoleSettings(const TIniFile& ini)
{
    TConsoleSettings settings;
    settings.startKey = static_cast<int>(ini.ReadInteger("keys", "StartBtn", kKeyF5));
    settings.thresholds = ReadConnectThresholds(ini);
    settings.port = ini.ReadString("link", "Port", "auto");
    settings.goNoGoBeforeStart = ini.ReadInteger("show", "GoNoGoBeforeStart", 0) != 0;
    settings.deadManKey = static_cast<int>(ini.ReadInteger("show", "DeadMan", 0));
    settings.maxLateMs = static_cast<int32_t>(
        ini.ReadInteger("show", "MaxLateMs", TCommonPlayer::kDefaultMaxLateMs));
    settings.palette = ini.ReadString("console", "Palette", "day");
    settings.language = ini.ReadString("console", "Language", "");
    return settings;
}

}  // namespace kv
