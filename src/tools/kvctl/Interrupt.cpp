#include "tools/kvctl/Interrupt.h"

#include <atomic>
#include <csignal>
#include <initializer_list>

namespace kv {

namespace {

std::atomic<int> interrupts{0};

void OnInterrupt(int)
{
    ++interrupts;
}

void Catch(std::initializer_list<int> signals)
{
    // No restart: a question waiting on stdin ends as unanswered, which is "Отмена".
    struct sigaction action {};
    action.sa_handler = OnInterrupt;
    sigemptyset(&action.sa_mask);
    action.sa_flags = 0;
    for (const int signal : signals)
        sigaction(signal, &action, nullptr);
}

}  // namespace

void CatchInterrupt()
{
    // A killed or hung-up kvctl would leave the show running in the modules' clocks and the
    // high voltage on: every ending signal stops it as Ctrl+C does.
    Catch({SIGINT, SIGTERM, SIGHUP});
    // A reader that went away (kvctl | tee, Ctrl+C) must not kill it before its stop frames.
    std::signal(SIGPIPE, SIG_IGN);
}

void CatchSuspendAndQuit()
{
    // Suspended, the show's clock runs on, and on fg every cue of the stopped time goes at
    // once; a quit leaves it running in the modules.
    Catch({SIGTSTP, SIGQUIT});
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
