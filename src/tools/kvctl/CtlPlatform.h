#pragma once
// The platform services as kvctl needs them: operator messages on stderr, questions answered
// on stdin (or all yes), the file name a command names in place of a save dialog, and the
// run log echoed to stdout while a show runs.

#include "support/platform/QtPlatform.h"

#include <mutex>
#include <optional>
#include <string>

namespace kv {

class TCtlPlatform : public TQtPlatform {
public:
    TAnswer MessageBox(const std::string& text, const std::string& caption,
                       TButtons buttons) override;
    std::optional<std::string> SaveFileName(const std::string& filter,
                                            const std::string& proposedName) override;
    void DebugOutput(const std::string& line) override;

    // The answer to the next save dialog, instead of asking.
    std::optional<std::string> saveFileName;
    // Every run-log message also goes to stdout, one per line.
    void EchoLog(bool on);

private:
    std::mutex echoLock_;
    bool echoLog_ = false;
};

}  // namespace kv
