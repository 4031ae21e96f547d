#pragma once
// Records mono samples from a PulseAudio source on a thread of its own and hands each block,
// with the tick at which the sample after it was captured, to a sink (on that thread).

#include "audio/CaptureDating.h"

#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

struct pa_context;
struct pa_stream;
struct pa_threaded_mainloop;

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
    bool Running() const { return loop_ != nullptr; }

private:
    bool Open(std::string& error);
    void Read();

    std::string source_;
    int sampleRate_;
    TSink sink_;
    pa_threaded_mainloop* loop_ = nullptr;
    pa_context* context_ = nullptr;
    pa_stream* stream_ = nullptr;
    std::vector<float> pending_;  // come in, not yet handed over as a whole block
    TCaptureDating dating_;
};

}  // namespace kv
