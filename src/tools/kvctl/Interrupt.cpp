#include "tools/kvctl/Interrupt.h"

#include <atomic>
#include <csignal>

namespace kv {

namespace {

std::atomic<int> interrupts{0};

void OnInterrupt(int)
{
    ++interrupts;
}

}  // namespace

void CatchInterrupt()
{
    // No restart: a question waiting on stdin ends as unanswered, which is "Отмена".
    struct sigaction action {};
    action.sa_handler = OnInterrupt;
    sigemptyset(&action.sa_mask);
    action.sa_flags = 0;
    // A killed or hung-up kvctl would leave the show running in the modules' clocks and the
    // high voltage on: every ending signal stops it as Ctrl+C does.
    for (const int signal : {SIGINT, SIGTERM, SIGHUP})
        sigaction(signal, &action, nullptr);
    // A reader that went away (kvctl | tee, Ctrl+C) must not kill it before its stop frames.
    std::signal(SIGPIPE, SIG_IGN);
}

bool Interrupted()
{
    return interrupts > 0;
}

int Interrupts()
{
    return interrupts;
}

}  // namespace kv
