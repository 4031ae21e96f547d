#pragma once
// The run log: one time-stamped line per event, durable (opened, appended and closed for
// every line), identical consecutive messages collapsed into one line with a repeat count.

#include <string>

namespace kv {

// Writes when 1 <= level <= the log level; every caller in the program uses level 1.
void WriteLog(const std::string& message, int level = 1);
void SetLogFileName(const std::string& path);
std::string LogFileName();
void SetLogLevel(int level);

}  // namespace kv
