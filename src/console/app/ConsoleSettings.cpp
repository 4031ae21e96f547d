#include "console/app/ConsoleSettings.h"

#include "devices/readiness/ConnectThresholds.h"
#include "show/player/ShowSetup.h"

#include <charconv>

namespace kv {

namespace {

constexpr double kLowestThreshold = 0.1;
constexpr double kHighestThreshold = 10000;
constexpr int32_t kLeastMaxLateMs = 50;
constexpr int32_t kMostMaxLateMs = 10000;

std::string RealText(double value)
{
    char text[32];
    const auto result = std::to_chars(text, text + sizeof text, value);
    return std::string(text, result.ptr);
}

}  // namespace

TConsoleSettings ReadConsoleSettings(const TIniFile& ini)
{
    TConsoleSettings settings;
    settings.startKey = static_cast<int>(ini.ReadInteger("keys", "StartBtn", kKeyF5));
    settings.thresholds = ReadConnectThresholds(ini);
    settings.port = ini.ReadString("link", "Port", "auto");
    settings.goNoGoBeforeStart = ini.ReadInteger("show", "GoNoGoBeforeStart", 0) != 0;
    settings.deadManKey = static_cast<int>(ini.ReadInteger("show", "DeadMan", 0));
    settings.maxLateMs = static_cast<int32_t>(
        ini.ReadInteger("show", "MaxLateMs", kDefaultMaxLateMs));
    settings.palette = ini.ReadString("console", "Palette", "day");
    settings.language = ini.ReadString("console", "Language", "");
    settings.scale = static_cast<int>(ini.ReadInteger("console", "Scale", settings.scale));
    settings.timecodeSource = ini.ReadString("timecode", "Source", "");
    return settings;
}

std::vector<TSettingChange> SettingChanges(const TConsoleSettings& before,
                                           const TConsoleSettings& after)
{
    std::vector<TSettingChange> changes;
    const auto add = [&](bool changed, const char* section, const char* key, std::string value) {
        if (changed)
            changes.push_back({section, key, std::move(value)});
    };
    add(before.startKey != after.startKey, "keys", "StartBtn", std::to_string(after.startKey));
    const TConnectThresholds& was = before.thresholds;
    const TConnectThresholds& now = after.thresholds;
    add(was.connectResistLo != now.connectResistLo, "settings", "ConnectResistLo",
        RealText(now.connectResistLo));
    add(was.connectResist != now.connectResist, "settings", "ConnectResist",
        RealText(now.connectResist));
    add(was.connectResistHi != now.connectResistHi, "settings", "ConnectResistHi",
        RealText(now.connectResistHi));
    add(before.port != after.port, "link", "Port", after.port);
    add(before.goNoGoBeforeStart != after.goNoGoBeforeStart, "show", "GoNoGoBeforeStart",
        after.goNoGoBeforeStart ? "1" : "0");
    // Off is the empty value, as the file made at the first start has it.
    add(before.deadManKey != after.deadManKey, "show", "DeadMan",
        after.deadManKey ? std::to_string(after.deadManKey) : "");
    add(before.maxLateMs != after.maxLateMs, "show", "MaxLateMs", std::to_string(after.maxLateMs));
    add(before.palette != after.palette, "console", "Palette", after.palette);
    add(before.language != after.language, "console", "Language", after.language);
    add(before.scale != after.scale, "console", "Scale", std::to_string(after.scale));
    add(before.timecodeSource != after.timecodeSource, "timecode", "Source",
        after.timecodeSource);
    return changes;
}

std::optional<TMessage> SettingsFault(const TConsoleSettings& settings)
{
    // A low limit of 0 finds no short circuit; limits out of order class a fault as connected.
    const TConnectThresholds& t = settings.thresholds;
    if (!(t.connectResistLo >= kLowestThreshold && t.connectResistLo < t.connectResist &&
          t.connectResist < t.connectResistHi && t.connectResistHi <= kHighestThreshold))
        return kMsgSettingsThresholds;
    // 0 sends every cue however late: a burst of shots after a stall.
    if (settings.maxLateMs < kLeastMaxLateMs || settings.maxLateMs > kMostMaxLateMs)
        return kMsgSettingsMaxLate;
    return std::nullopt;
}

}  // namespace kv
