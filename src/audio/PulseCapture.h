#pragma once
// Records mono samples from a PulseAudio source on a thread of its own and hands each block,
// with the tick at which the sample after it was captured, to a sink (on that thread).

#include <atomic>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>
#include <thread>

struct pa_simple;

namespace kv {

class TPulseCapture {
public:
    using TSink = std::function<void(const float* samples, size_t count, uint32_t endTick)>;
    static constexpr int kBlockMs = 10;

    // source: a source name; empty for the server's default.
    TPulseCapture(std::string source, int sampleRate, TSink sink);
    ~TPulseCapture();
    TPulseCapture(const TPulseCapture&) = delete;
    TPulseCapture& operator=(const TPulseCapture&) = delete;

    // Opens the stream and starts the thread; false, with the server's reason, when the
    // source does not open.
    bool Start(std::string& error);
    void Stop();
    bool Running() const { return thread_.joinable(); }

private:
    void Run();

    std::string source_;
    int sampleRate_;
    TSink sink_;
    pa_simple* stream_ = nullptr;
    std::atomic<bool> stop_{false};
    std::thread thread_;
};

}  // namespace kv
