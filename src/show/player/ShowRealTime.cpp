#include "show/player/ShowRealTime.h"

#include "link/Port.h"
#include "support/AddedMessages.h"
#include "support/Platform.h"
#include "support/RunLog.h"

#include <unistd.h>

#include <cstring>

namespace kv {

void TShowRealTime::Begin()
{
    if (active_)
        return;
    active_ = true;
    mainThread_ = static_cast<int>(gettid());
    Raise(mainThread_, kMainThreadPriority);
    portThread_ = port_.ThreadId();
    if (portThread_ != 0)
        Raise(portThread_, kPortThreadPriority);
    // At normal scheduling (a show's thread passes its own on to none): bringing the pages in
    // takes no processor time from the show.
    locking_ = std::thread(&TShowRealTime::LockMemory, this);
}

void TShowRealTime::LockMemory()
{
    const int error = Platform().LockMemory(true);
    memoryLocked_ = error == 0;
    if (error != 0 && !lockRefusalLogged_) {
        lockRefusalLogged_ = true;
        WriteLog(Localize(kMsgMemoryLockRefused) + " " + std::strerror(error));
    }
}

void TShowRealTime::Raise(int thread, int priority)
{
    const int error = Platform().SetRealTime(thread, priority, true);
    if (error != 0 && !priorityRefusalLogged_) {
        priorityRefusalLogged_ = true;
        WriteLog(Localize(kMsgRealTimeRefused) + " " + std::strerror(error));
    }
}

void TShowRealTime::End()
{
    if (!active_)
        return;
    active_ = false;
    Platform().SetRealTime(mainThread_, 0, false);
    // A port thread that ended meanwhile has no priority left to drop, and its id may be
    // another thread's now.
    if (portThread_ != 0 && port_.ThreadId() == portThread_)
        Platform().SetRealTime(portThread_, 0, false);
    locking_.join();
    if (memoryLocked_)
        Platform().LockMemory(false);
    memoryLocked_ = false;
}

}  // namespace kv
