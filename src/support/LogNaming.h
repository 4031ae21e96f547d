#pragma once
// The name of this run's log: "dd.MM.yyyy_N.log" with the first free N of the day, in the
// logs folder beside the program, or in the user's state folder when that cannot be written.

#include <ctime>
#include <string>
#include <vector>

namespace kv {

// Creates the folder when missing and claims the first free "<date>_N.log" (N from 0) by
// creating it empty, so that two programs started together never share a file. Empty when
// the folder cannot be written.
std::string ClaimLogFile(const std::string& folder, const std::tm& date);

// appFolder + "logs/", then $XDG_STATE_HOME/korvane/logs/ or ~/.local/state/korvane/logs/.
std::vector<std::string> LogFolders(const std::string& appFolder);

// Claims this run's log in the first folder that can be written and hands it to WriteLog;
// returns its path, or empty when no folder can be written (the log file is then off and
// lines reach only the debugger output).
std::string StartRunLog(const std::string& appFolder, const std::tm& date);

}  // namespace kv
