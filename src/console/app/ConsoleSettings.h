#pragma once
// What the console reads from kvshow.ini, once, at start-up. The file is never written.

#include "devices/CommonControl.h"
#include "support/IniFile.h"

#include <string>

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
};

// Missing file, section or key: the defaults; a threshold that is no number reads as 0.
TConsoleSettings ReadConsoleSettings(const TIniFile& ini);

}  // namespace kv
