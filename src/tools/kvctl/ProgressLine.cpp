#include "tools/kvctl/ProgressLine.h"

#include <cstdio>
#include <unistd.h>

namespace kv {

TProgressLine::TProgressLine() : terminal_(isatty(STDERR_FILENO) == 1) {}

TProgressLine::~TProgressLine()
{
    if (shown_)
        std::fprintf(stderr, "\r\033[K");
}

void TProgressLine::Show(const std::string& text)
{
    if (!terminal_)
        return;
    std::fprintf(stderr, "\r\033[K%s", text.c_str());
    std::fflush(stderr);
    shown_ = true;
}

}  // namespace kv
