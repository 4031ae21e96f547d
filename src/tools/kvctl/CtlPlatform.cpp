#include "tools/kvctl/CtlPlatform.h"

#include <cstdio>

namespace kv {

TAnswer TCtlPlatform::MessageBox(const std::string& text, const std::string& caption,
                                 TButtons buttons)
{
    if (buttons != TButtons::Ok)
        return TQtPlatform::MessageBox(text, caption, buttons);
    // A message needs no answer: the text alone, so scripts can match it.
    std::fprintf(stderr, "%s\n", text.c_str());
    std::fflush(stderr);
    return TAnswer::Ok;
}

std::optional<std::string> TCtlPlatform::SaveFileName(const std::string& filter,
                                                      const std::string& proposedName)
{
    if (saveFileName)
        return saveFileName;
    return TQtPlatform::SaveFileName(filter, proposedName);
}

void TCtlPlatform::DebugOutput(const std::string& line)
{
    {
        std::lock_guard guard(echoLock_);
        if (echoLog_) {
            std::fprintf(stdout, "%s\n", line.c_str());
            std::fflush(stdout);
        }
    }
    TQtPlatform::DebugOutput(line);
}

void TCtlPlatform::EchoLog(bool on)
{
    std::lock_guard guard(echoLock_);
    echoLog_ = on;
}

}  // namespace kv
