#pragma once
// What the console reads from kvshow.ini at start-up, and what its settings window changes.

#include "devices/kinds/CommonControl.h"
#include "support/lang/AddedMessages.h"
#include "support/text/IniFile.h"

#include <optional>
#include <string>
#include <vector>

namespace kv {

constexpr int kKeyF5 = 116;
constexpr int kKeySpace = 32;

struct TConsoleSettings {
    int startKey = kKeyF5;  // Windows virtual key code
    TConnectThresholds thresholds;
    std::string port = "auto";  // [link] Port: "auto", device paths, or sim:FILE
    bool goNoGoBeforeStart = false;  // [show] GoNoGoBeforeStart
    int deadManKey = 0;  // [show] DeadMan: the hold-to-fire key's virtual key code; 0 is off
    int32_t maxLateMs = 0;           // [show] MaxLateMs
    std::string palette;   // [console] Palette: "day" or "night"
    std::string language;  // [console] Language: "ru", "en", a file, or empty for the system's
    int scale = 100;       // [console] Scale, percent
    std::string timecodeSource;  // [timecode] Source: empty for the sound server's default
};

// Missing file, section or key: the defaults; a threshold that is no number reads as 0.
TConsoleSettings ReadConsoleSettings(const TIniFile& ini);

struct TSettingChange {
    std::string section;
    std::string key;
    std::string value;
};

// The lines of kvshow.ini that after changes, in the form the reader reads.
std::vector<TSettingChange> SettingChanges(const TConsoleSettings& before,
                                           const TConsoleSettings& after);

// A threshold or MaxLateMs that would switch a safety check off, or mean nothing.
std::optional<TMessage> SettingsFault(const TConsoleSettings& settings);

}  // namespace kv
