#pragma once
// The name of this run's log: "YYYY-MM-DD_N.log" (names sort by date) with the first free N
// of the day, in logs/ of the state folder, or of the second folder when that cannot be
// written.

#include <ctime>
#include <string>

namespace kv {

struct TFilePlaces;

// Creates the folder when missing and claims the first free "<date>_N.log" (N from 0) by
// creating it empty, so that two programs started together never share a file. Empty when
// the folder cannot be written.
std::string ClaimLogFile(const std::string& folder, const std::tm& date);

// "2026-12-07".
std::string LogDateText(const std::tm& date);

// Claims this run's log in the first folder that can be written and hands it to WriteLog;
// returns its path, or empty when no folder can be written (the log file is then off and
// lines reach only the debugger output).
std::string StartRunLog(const TFilePlaces& places, const std::tm& date);

}  // namespace kv
