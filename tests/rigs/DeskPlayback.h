#pragma once
// A sound desk playing timecode into the sound server's null sink, in real time, on a thread
// of its own.

#include "rigs/LtcSignal.h"

#include <atomic>
#include <cstdint>
#include <thread>

struct pa_simple;

namespace kvtest {

class TDeskPlayback {
public:
    explicit TDeskPlayback(const TLtcSignal& signal);
    ~TDeskPlayback();
    bool Playing() const { return stream_ != nullptr; }
    // Samples handed to the server: none of them can have been heard before.
    int64_t Written() const { return written_; }
    bool Done() const { return done_; }

private:
    void Run();

    const TLtcSignal& signal_;
    pa_simple* stream_ = nullptr;
    std::atomic<bool> stop_{false};
    std::atomic<bool> done_{false};
    std::atomic<int64_t> written_{0};
    std::thread thread_;
};

}  // namespace kvtest
