#include "tools/kvctl/Interrupt.h"

#include <atomic>
#include <csignal>

namespace kv {

namespace {

std::atomic<bool> interrupted{false};

void OnInterrupt(int)
{
    interrupted = true;
}

}  // namespace

void CatchInterrupt()
{
    // No restart: a question waiting on stdin ends as unanswered, which is "Отмена".
    struct sigaction action {};
    action.sa_handler = OnInterrupt;
    sigemptyset(&action.sa_mask);
    action.sa_flags = 0;
    sigaction(SIGINT, &action, nullptr);
}

bool Interrupted()
{
    return interrupted;
}

}  // namespace kv
