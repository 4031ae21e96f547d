#pragma once
// Two stations in one process on one virtual clock, one of them held up as a stopped process
// is: its timers (made inside BeginGroup and EndGroup, or by its own timers' calls) call
// nothing while held, and each that fell due calls once when it is let go, as the timer
// messages a stopped program finds waiting.

#include "support/platform/VirtualPlatform.h"

#include <algorithm>
#include <memory>
#include <utility>
#include <vector>

namespace kvtest {

class THeldPlatform : public kv::TPlatform {
public:
    explicit THeldPlatform(kv::TVirtualPlatform& time) : time_(time) {}

    // Timers made from now until EndGroup belong to the station that can be held.
    void BeginGroup() { grouping_ = true; }
    void EndGroup() { grouping_ = false; }
    // The group's timers, or (group false) all the others.
    void Hold(bool group = true)
    {
        held_ = true;
        heldGroup_ = group;
    }
    void LetGo()
    {
        held_ = false;
        while (!waiting_.empty()) {
            THeldTimer* timer = waiting_.front();
            waiting_.erase(waiting_.begin());
            timer->Call();
        }
    }

    uint32_t TickCount() override { return time_.TickCount(); }
    void Sleep(uint32_t ms) override { time_.Sleep(ms); }
    std::unique_ptr<kv::TTimer> CreateTimer(std::function<void()> onTimer) override
    {
        return std::make_unique<THeldTimer>(*this, std::move(onTimer), grouping_);
    }
    void RunOnMainThread(const std::function<void()>& call) override { time_.RunOnMainThread(call); }
    bool IsMainThread() override { return time_.IsMainThread(); }
    void ProcessMessages() override { time_.ProcessMessages(); }
    kv::TAnswer MessageBox(const std::string& text, const std::string& caption,
                           kv::TButtons buttons) override
    {
        return time_.MessageBox(text, caption, buttons);
    }
    std::optional<std::string> InputBox(const std::string& caption, const std::string& prompt,
                                        const std::string& initial) override
    {
        return time_.InputBox(caption, prompt, initial);
    }
    std::optional<std::string> OpenFileName(const std::string& filter) override
    {
        return time_.OpenFileName(filter);
    }
    std::optional<std::string> SaveFileName(const std::string& filter,
                                            const std::string& proposedName) override
    {
        return time_.SaveFileName(filter, proposedName);
    }
    bool PowerStatus(kv::TPowerStatus& status) override { return time_.PowerStatus(status); }
    void DebugOutput(const std::string& line) override { time_.DebugOutput(line); }
    uint32_t Random(uint32_t range) override { return time_.Random(range); }

private:
    class THeldTimer : public kv::TTimer {
    public:
        THeldTimer(THeldPlatform& owner, std::function<void()> onTimer, bool holdable)
            : owner_(owner), onTimer_(std::move(onTimer)), holdable_(holdable),
              inner_(owner.time_.CreateTimer([this] { Due(); }))
        {
        }
        ~THeldTimer() override { std::erase(owner_.waiting_, this); }
        void SetInterval(uint32_t ms) override { inner_->SetInterval(ms); }
        uint32_t Interval() const override { return inner_->Interval(); }
        void SetEnabled(bool enabled) override
        {
            inner_->SetEnabled(enabled);
            if (!enabled)
                std::erase(owner_.waiting_, this);
        }
        bool Enabled() const override { return inner_->Enabled(); }
        // Timers made by the call belong where it does.
        void Call()
        {
            THeldPlatform& owner = owner_;
            const bool grouping = std::exchange(owner.grouping_, holdable_);
            onTimer_();
            owner.grouping_ = grouping;
        }

    private:
        void Due()
        {
            if (holdable_ != owner_.heldGroup_ || !owner_.held_) {
                Call();
                return;
            }
            if (std::find(owner_.waiting_.begin(), owner_.waiting_.end(), this) == owner_.waiting_.end())
                owner_.waiting_.push_back(this);
        }

        THeldPlatform& owner_;
        std::function<void()> onTimer_;
        bool holdable_;
        std::unique_ptr<kv::TTimer> inner_;
    };

    kv::TVirtualPlatform& time_;
    bool grouping_ = false;
    bool held_ = false;
    bool heldGroup_ = true;
    std::vector<THeldTimer*> waiting_;
};

}  // namespace kvtest
