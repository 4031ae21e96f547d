#pragma once
// Linear timecode heard in a stream of audio samples: each frame decoded, with the tick at
// which it began. The capture writes from its own thread; the chase takes the frames on the
// main thread.

#include "show/scenario/Timecode.h"
#include "show/timecode/BiphaseRun.h"

#include <cstddef>
#include <cstdint>
#include <atomic>
#include <memory>
#include <mutex>
#include <vector>

struct LTCDecoder;

namespace kv {

struct TTimecodeFrame {
    TTimecodeLabel label;
    bool dropFrame = false;
    bool reverse = false;  // the tape runs backwards
    // When its first bit began, rounded to the later millisecond: a clock set from it never
    // runs ahead.
    uint32_t startTick = 0;
    // Its length, which gives the rate.
    double lengthUs = 0;
};

class TTimecodeInput {
public:
    explicit TTimecodeInput(int sampleRate = 48000);
    ~TTimecodeInput();
    TTimecodeInput(const TTimecodeInput&) = delete;
    TTimecodeInput& operator=(const TTimecodeInput&) = delete;

    // Mono samples in [-1, 1]; endTick: when the sample after the last was captured. One
    // writer at a time.
    void Write(const float* samples, size_t count, uint32_t endTick);
    // The frames decoded since the last call, oldest first.
    std::vector<TTimecodeFrame> Take();
    // As Take; runUs: how far after the start of the last frame decoded (taken now or
    // before) the frame expected next was heard, once its whole label was (the bound is
    // written in Write); 0 until then. The frames and the run are of one moment.
    std::vector<TTimecodeFrame> Take(int64_t& runUs);
    // The thread that wrote last: the capture's, whose delays date the frames late.
    int WriterThread() const { return writer_; }

private:
    int sampleRate_;
    std::unique_ptr<LTCDecoder, void (*)(LTCDecoder*)> decoder_;
    int64_t position_ = 0;  // samples written so far
    TBiphaseRun run_;
    int64_t lastStart_ = 0;  // the last frame's first sample
    int64_t lastLength_ = 0;  // and its samples
    std::mutex mutex_;
    std::vector<TTimecodeFrame> frames_;
    int64_t runUs_ = 0;
    std::atomic<int> writer_{0};
};

}  // namespace kv
