#pragma once
// Writes the settings window's changes into the settings file the console read: each line set
// where the reader finds it, every other line and comment kept, and the file replaced whole
// or not at all.

#include "console/app/ConsoleSettings.h"

#include <string>
#include <vector>

namespace kv {

// False with the reason when the file could not be written; it is then as it was.
bool WriteSettingChanges(const std::string& file, const std::vector<TSettingChange>& changes,
                         std::string& problem);

}  // namespace kv
