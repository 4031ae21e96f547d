#include "show/player/run/ShowRealTime.h"

#include "link/Port.h"
#include "support/lang/AddedMessages.h"
#include "support/platform/Platform.h"
#include "support/log/RunLog.h"

#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <utility>

namespace kv {

TShowRealTime::TShowRealTime(TPort& port)
{
    serving_.push_back({[&port] { return port.ThreadId(); }, kPortThreadPriority});
}

void TShowRealTime::AddClockSource(TThreadOf thread)
{
    serving_.push_back({std::move(thread), kClockSourcePriority});
}

void TShowRealTime::Begin()
{
    if (active_)
        return;
    active_ = true;
    mainThread_ = static_cast<int>(gettid());
    Raise(mainThread_, kMainThreadPriority);
    for (TServing& serving : serving_) {
        serving.raised = serving.thread();
        // The main thread feeds a virtual output or a test's timecode itself.
        if (serving.raised == mainThread_)
            serving.raised = 0;
        if (serving.raised != 0)
            Raise(serving.raised, serving.priority);
    }
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
    // ESRCH: the thread ended since its id was read; nothing was refused.
    if (error != 0 && error != ESRCH && !priorityRefusalLogged_) {
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
    // A thread that ended meanwhile is no longer this process's: the platform leaves it.
    for (TServing& serving : serving_) {
        if (serving.raised != 0)
            Platform().SetRealTime(serving.raised, 0, false);
        serving.raised = 0;
    }
    locking_.join();
    if (memoryLocked_)
        Platform().LockMemory(false);
    memoryLocked_ = false;
}

}  // namespace kv
