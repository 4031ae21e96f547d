#include "support/platform/VirtualPlatform.h"

#include <algorithm>

namespace kv {

class TVirtualPlatform::TVirtualTimer : public TTimer {
public:
    TVirtualTimer(TVirtualPlatform& owner, std::function<void()> onTimer)
        : owner_(owner), onTimer_(std::move(onTimer))
    {
    }
    ~TVirtualTimer() override { owner_.Unregister(this); }

    void SetInterval(uint32_t ms) override
    {
        interval_ = ms;
        Restart();
    }
    uint32_t Interval() const override { return interval_; }
    void SetEnabled(bool enabled) override
    {
        enabled_ = enabled;
        Restart();
    }
    bool Enabled() const override { return enabled_; }

    bool Armed() const { return enabled_ && interval_ > 0; }
    uint64_t due = 0;
    uint64_t generation = 0;

    void Fire()
    {
        const uint64_t firedGeneration = ++generation;
        const uint64_t firedDue = due;
        due = firedDue + interval_;
        onTimer_();
        // A callback that blocked past several periods gets one call, not a burst, as with
        // real window-system timers.
        if (generation == firedGeneration && due <= owner_.Now64())
            due = owner_.Now64() + interval_;
    }

private:
    void Restart()
    {
        ++generation;
        due = owner_.Now64() + interval_;
    }

    TVirtualPlatform& owner_;
    std::function<void()> onTimer_;
    uint32_t interval_ = 0;
    bool enabled_ = false;
};

TVirtualPlatform::TVirtualPlatform(uint32_t startTick)
    : now_(startTick), mainThread_(std::this_thread::get_id())
{
}

TVirtualPlatform::~TVirtualPlatform() = default;

uint32_t TVirtualPlatform::TickCount()
{
    return static_cast<uint32_t>(now_.load());
}

void TVirtualPlatform::Sleep(uint32_t ms)
{
    now_ += ms;
}

void TVirtualPlatform::Advance(uint32_t ms)
{
    const uint64_t target = now_ + ms;
    for (;;) {
        RunPendingCalls();
        TVirtualTimer* next = nullptr;
        uint64_t nextOrder = 0;
        for (const TTimerSlot& slot : timers_) {
            if (!slot.timer->Armed() || slot.timer->due > target)
                continue;
            if (!next || slot.timer->due < next->due ||
                (slot.timer->due == next->due && slot.order < nextOrder)) {
                next = slot.timer;
                nextOrder = slot.order;
            }
        }
        if (!next)
            break;
        if (next->due > now_)
            now_ = next->due;
        next->Fire();
    }
    if (now_ < target)
        now_ = target;
    RunPendingCalls();
}

bool TVirtualPlatform::AdvanceUntil(const std::function<bool()>& done, uint32_t limitMs,
                                    uint32_t stepMs)
{
    const uint64_t limit = now_ + limitMs;
    while (!done()) {
        if (now_ >= limit)
            return false;
        Advance(stepMs);
    }
    return true;
}

std::unique_ptr<TTimer> TVirtualPlatform::CreateTimer(std::function<void()> onTimer)
{
    auto timer = std::make_unique<TVirtualTimer>(*this, std::move(onTimer));
    timers_.push_back({timer.get(), nextOrder_++});
    return timer;
}

void TVirtualPlatform::Unregister(TVirtualTimer* timer)
{
    std::erase_if(timers_, [timer](const TTimerSlot& slot) { return slot.timer == timer; });
}

void TVirtualPlatform::RunOnMainThread(const std::function<void()>& call)
{
    if (IsMainThread()) {
        call();
        return;
    }
    std::function<void()> copy = call;
    std::unique_lock lock(callsMutex_);
    pendingCalls_.push_back(&copy);
    const uint64_t ticket = ++callsQueued_;
    callsDone_.wait(lock, [&] { return callsFinished_ >= ticket; });
}

bool TVirtualPlatform::IsMainThread()
{
    return std::this_thread::get_id() == mainThread_;
}

void TVirtualPlatform::RunPendingCalls()
{
    for (;;) {
        std::function<void()>* call = nullptr;
        {
            std::lock_guard lock(callsMutex_);
            if (pendingCalls_.empty())
                return;
            call = pendingCalls_.front();
            pendingCalls_.pop_front();
        }
        (*call)();
        {
            std::lock_guard lock(callsMutex_);
            ++callsFinished_;
        }
        callsDone_.notify_all();
    }
}

void TVirtualPlatform::ProcessMessages()
{
    Advance(0);
}

TAnswer TVirtualPlatform::MessageBox(const std::string& text, const std::string& caption,
                                     TButtons buttons)
{
    shownMessages.push_back({text, caption, buttons});
    if (!answers.empty()) {
        TAnswer answer = answers.front();
        answers.pop_front();
        return answer;
    }
    return buttons == TButtons::Ok ? TAnswer::Ok : TAnswer::No;
}

std::optional<std::string> TVirtualPlatform::InputBox(const std::string&, const std::string&,
                                                      const std::string&)
{
    if (inputs.empty())
        return std::nullopt;
    auto input = inputs.front();
    inputs.pop_front();
    return input;
}

std::optional<std::string> TVirtualPlatform::OpenFileName(const std::string&)
{
    if (fileNames.empty())
        return std::nullopt;
    auto name = fileNames.front();
    fileNames.pop_front();
    return name;
}

std::optional<std::string> TVirtualPlatform::SaveFileName(const std::string& filter,
                                                          const std::string&)
{
    return OpenFileName(filter);
}

bool TVirtualPlatform::PowerStatus(TPowerStatus& status)
{
    if (!power)
        return false;
    status = *power;
    return true;
}

void TVirtualPlatform::DebugOutput(const std::string& line)
{
    std::lock_guard lock(debugMutex_);
    debugLines.push_back(line);
}

void TVirtualPlatform::SyncFile(const std::string& path,
                                const std::function<void(int error)>& done)
{
    {
        std::lock_guard lock(debugMutex_);
        syncs.push_back({path, TickCount()});
    }
    TPlatform::SyncFile(path, done);
}

int TVirtualPlatform::SetRealTime(int thread, int priority, bool on)
{
    realTimeRequests.push_back({thread, priority, on});
    return on ? realTimeError : 0;
}

int TVirtualPlatform::LockMemory(bool on)
{
    std::lock_guard lock(debugMutex_);
    memoryLocks.push_back(on);
    const int error = on ? memoryLockError : 0;
    if (error == 0)
        memoryLocked_ = on;
    return error;
}

uint32_t TVirtualPlatform::Random(uint32_t range)
{
    return range == 0 ? 0 : randomValue % range;
}

}  // namespace kv
