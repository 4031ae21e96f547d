#pragma once
// Where the programs keep their files. A kvshow.ini beside the program makes a portable
// install: settings and language file there. Otherwise the settings are the user's
// ($XDG_CONFIG_HOME/korvane/), and the record of every run (logs, firing reports, black
// boxes, channel lists) goes to $XDG_STATE_HOME/korvane/, never into the program's folder,
// unless [files] Folder of the settings names another.

#include <string>

namespace kv {

struct TFilePlaces {
    std::string settingsFile;
    std::string languageFile;
    // With a trailing "/": logs/ and the reports beside them, and where save dialogs start.
    std::string stateFolder;
    // Where the log goes on when the state folder cannot be written; empty: nowhere.
    std::string secondFolder;
};

// settingsOption: a settings file named on the command line, or empty. Reads [files] of the
// settings file found.
TFilePlaces FindFilePlaces(const std::string& appFolder, const std::string& settingsOption);

// The value of "--settings FILE" or "--settings=FILE" among the program's arguments; empty
// when not given.
std::string SettingsOption(int argc, const char* const* argv);

// The folder of the settings and the language file, with a trailing "/".
std::string SettingsFolder(const TFilePlaces& places);

// Every file in one folder (a portable install, a test's own folder).
TFilePlaces PlacesIn(const std::string& folder);

// The installed data (demo field, samples, the default settings): <prefix>/share/korvane/
// beside the program's bin/ folder, else the source tree's share/. With a trailing "/".
std::string DataFolder(const std::string& appFolder);

// Where save dialogs of the records (black boxes, channel lists) start; the working folder
// until set.
void SetRecordsFolder(const std::string& folder);
std::string RecordsFolder();

// Writes the default settings, pointing at the demo field, when the settings file is
// missing; true when it exists afterwards.
bool MakeDefaultSettings(const TFilePlaces& places, const std::string& dataFolder);

}  // namespace kv
