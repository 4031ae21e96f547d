#pragma once
// A descriptor another thread can make readable: the port thread sleeps on it beside the
// converters, and whoever leaves it work signals it. Signals add up until cleared.

namespace kv {

class TWakeEvent {
public:
    TWakeEvent();
    ~TWakeEvent();
    TWakeEvent(const TWakeEvent&) = delete;
    TWakeEvent& operator=(const TWakeEvent&) = delete;

    void Signal();
    void Clear();
    int Fd() const { return fd_; }

private:
    int fd_;
};

}  // namespace kv
