#pragma once
// What the console's window tests share: a message in the run log and the documentation's
// screenshots.

#include "WindowProbe.h"

#include <string>

namespace kv {

// The log has this message.
bool Logged(const std::string& log, const std::string& message);

// With KV_SCREENSHOT_DIR set, saves the window as <dir>/<name>.png for the documentation.
void Snapshot(QWidget& window, const char* name);

}  // namespace kv
