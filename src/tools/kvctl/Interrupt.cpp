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
    std::signal(SIGINT, OnInterrupt);
}

bool Interrupted()
{
    return interrupted;
}

}  // namespace kv
