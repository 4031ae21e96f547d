#pragma once
// The run log: one time-stamped line per event, durable (opened, appended and closed for
// every line), identical consecutive messages collapsed into one line with a repeat count.

#include <string>

namespace kv {

// Writes when 1 <= level <= the log level; every caller in the program uses level 1.
void WriteLog(const std::string& message, int level = 1);
// A new name starts a fresh file: repeat collapsing begins anew and a switched-off log is
// tried again. Empty means the program file's path with ".log".
void SetLogFileName(const std::string& path);
// The file the lines go to (the default name when none was set).
std::string LogFileName();
void SetLogLevel(int level);
// False once a write failed or the log was switched off; lines then reach only the
// debugger output.
bool LogFileEnabled();
void SwitchOffLogFile();

}  // namespace kv
