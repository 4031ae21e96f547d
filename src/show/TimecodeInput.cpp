#include "show/TimecodeInput.h"

#include <ltc.h>

#include <algorithm>
#include <utility>

namespace kv {

namespace {

// Frames held by the decoder between drains; it overwrites the oldest when full.
constexpr int kDecoderQueue = 64;
// Samples handed to the decoder at once, so that its queue never overflows.
constexpr size_t kChunk = 4096;
constexpr ptrdiff_t kKeptFrames = 256;
constexpr int kFrameBits = 80;

// libltc's 8-bit sample levels, as the floats written.
float Level(ltcsnd_sample_t sample)
{
    return (static_cast<float>(sample) - 128.0f) / 127.0f;
}

void FreeDecoder(LTCDecoder* decoder)
{
    if (decoder)
        ltc_decoder_free(decoder);
}

}  // namespace

TTimecodeInput::TTimecodeInput(int sampleRate)
    : sampleRate_(sampleRate),
      decoder_(ltc_decoder_create(sampleRate / 25, kDecoderQueue), FreeDecoder)
{
}

TTimecodeInput::~TTimecodeInput() = default;

void TTimecodeInput::Write(const float* samples, size_t count, uint32_t endTick)
{
    if (!decoder_)
        return;
    const int64_t end = position_ + static_cast<int64_t>(count);
    std::vector<TTimecodeFrame> decoded;
    for (size_t done = 0; done < count;) {
        const size_t part = std::min(kChunk, count - done);
        // libltc takes a non-const buffer but only reads it.
        ltc_decoder_write_float(decoder_.get(), const_cast<float*>(samples + done), part,
                                position_);
        for (size_t i = 0; i < part; ++i)
            run_.Sample(position_ + static_cast<int64_t>(i), samples[done + i]);
        position_ += static_cast<int64_t>(part);
        done += part;
        LTCFrameExt found;
        while (ltc_decoder_read(decoder_.get(), &found) == 1) {
            SMPTETimecode time;
            ltc_frame_to_time(&time, &found.ltc, 0);
            TTimecodeFrame frame;
            frame.label = {time.hours, time.mins, time.secs, time.frame};
            frame.dropFrame = found.ltc.dfbit != 0;
            frame.reverse = found.reverse != 0;
            // Whole milliseconds before the end, rounded down: the start rounded later.
            const int64_t before = (end - found.off_start) * 1000 / sampleRate_;
            frame.startTick = endTick - static_cast<uint32_t>(before);
            const auto length = static_cast<double>(found.off_end - found.off_start + 1);
            frame.lengthUs = length * 1e6 / sampleRate_;
            decoded.push_back(frame);
            run_.FrameEnded(found.off_end, length / kFrameBits, Level(found.sample_min),
                            Level(found.sample_max));
            lastStart_ = found.off_start;
        }
    }
    const int64_t reach = run_.Reach();
    const int64_t runUs = reach < 0 ? 0 : (reach - lastStart_) * 1000000 / sampleRate_;
    const std::lock_guard lock(mutex_);
    runUs_ = runUs;
    frames_.insert(frames_.end(), decoded.begin(), decoded.end());
    // Nobody took them for seconds: only the latest matter.
    if (frames_.size() > kKeptFrames)
        frames_.erase(frames_.begin(), frames_.end() - kKeptFrames);
}

std::vector<TTimecodeFrame> TTimecodeInput::Take()
{
    int64_t runUs = 0;
    return Take(runUs);
}

std::vector<TTimecodeFrame> TTimecodeInput::Take(int64_t& runUs)
{
    const std::lock_guard lock(mutex_);
    runUs = runUs_;
    return std::exchange(frames_, {});
}

}  // namespace kv
