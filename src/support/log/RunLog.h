#pragma once
// The run log, the legal record of a show: one time-stamped line per event, each appended
// and closed at once (in the system's cache at once; synced to the disk when asked),
// identical consecutive messages collapsed into one line with a repeat count. A line that
// cannot be written is kept in memory, tried again, and the log goes on in a file of the
// second folder; the window is told at once.

#include <functional>
#include <string>

namespace kv {

// Writes when 1 <= level <= the log level; every caller in the program uses level 1.
void WriteLog(const std::string& message, int level = 1);
// A new name starts a fresh file: repeat collapsing begins anew, a switched-off log is tried
// again, and a trouble of the last file is forgotten. Empty means the program file's path
// with ".log".
void SetLogFileName(const std::string& path);
// The file the lines go to (the default name when none was set).
std::string LogFileName();
void SetLogLevel(int level);
// False once switched off, and while lines wait in memory because no file takes them; lines
// then reach only the debugger output.
bool LogFileEnabled();
void SwitchOffLogFile();

// Claims the file the log goes on in after a failed write (empty: none can be made).
void SetLogSecondFile(std::function<std::string()> claim);

struct TLogTrouble {
    bool failing = false;     // lines wait in memory: no file takes them now
    int waitingLines = 0;
    std::string reason;       // the system's words for the last failure
    std::string failedFile;   // empty: no write has failed since the file was named
    std::string file;         // where the lines go now
};
TLogTrouble LogTrouble();
// Called on whichever thread wrote, whenever the trouble changes; empty: none.
void SetLogTroubleHandler(std::function<void()> handler);

// Asks the platform to bring the log's lines to the disk (at a show's start, stop and every
// second of it).
void SyncLog();

}  // namespace kv
