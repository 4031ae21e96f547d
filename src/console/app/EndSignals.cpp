#include "console/app/EndSignals.h"

#include <QSocketNotifier>

#include <sys/socket.h>
#include <unistd.h>

#include <array>
#include <csignal>

namespace kv {

namespace {

// Ctrl+Z would freeze a show whose cues then all go at once on fg, and Ctrl+\ leave the
// modules playing with the high voltage on: both end the program as a kill does.
constexpr std::array kSignals{SIGTERM, SIGHUP, SIGINT, SIGTSTP, SIGQUIT};
// The handler may only write: the main thread reads the other end.
int pipeEnds[2] = {-1, -1};

void OnSignal(int signal)
{
    const auto byte = static_cast<unsigned char>(signal);
    (void)!write(pipeEnds[1], &byte, 1);
}

}  // namespace

TEndSignals::TEndSignals(std::function<void(int)> onSignal) : onSignal_(std::move(onSignal))
{
    if (socketpair(AF_UNIX, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0, pipeEnds) != 0)
        return;
    notifier_ = new QSocketNotifier(pipeEnds[0], QSocketNotifier::Read, this);
    connect(notifier_, &QSocketNotifier::activated, this, [this] { Take(); });
    struct sigaction action {};
    action.sa_handler = OnSignal;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    for (const int signal : kSignals)
        sigaction(signal, &action, nullptr);
}

TEndSignals::~TEndSignals()
{
    for (const int signal : kSignals)
        std::signal(signal, SIG_DFL);
    if (pipeEnds[0] >= 0) {
        close(pipeEnds[0]);
        close(pipeEnds[1]);
    }
    pipeEnds[0] = pipeEnds[1] = -1;
}

void TEndSignals::Take()
{
    unsigned char byte = 0;
    while (read(pipeEnds[0], &byte, 1) == 1)
        onSignal_(byte);
}

}  // namespace kv
