#include "show/timecode/TimecodeInput.h"

#include <ltc.h>
#include <unistd.h>

#include <algorithm>
#include <cmath>
#include <utility>

namespace kv {

namespace {

// Frames held by the decoder between drains; it overwrites the oldest when full.
constexpr int kDecoderQueue = 64;
// Samples handed to the decoder at once, so that its queue never overflows.
constexpr size_t kChunk = 4096;
constexpr ptrdiff_t kKeptFrames = 256;
constexpr int kFrameBits = TBiphaseRun::kFrameBits;
// Bits 0-57 hold a frame's whole label.
constexpr int kLabelBits = 58;

// The frame that follows this one, as far as it is known: the bits of its label's time fields
// and drop-frame flag (the rate told by this frame's length), and its sync word.
struct TNextBits {
    TBiphaseRun::TBits bits;
    TBiphaseRun::TBits mask;
    void Put(int first, int count, int value)
    {
        for (int i = 0; i < count; ++i) {
            mask.set(static_cast<size_t>(first + i));
            bits.set(static_cast<size_t>(first + i), ((value >> i) & 1) != 0);
        }
    }
};

TNextBits NextBits(const TTimecodeFrame& frame)
{
    const long fps = std::lround(1e6 / std::max(frame.lengthUs, 1.0));
    const TTimecodeRate rate = frame.dropFrame ? TTimecodeRate::Fps2997Drop
                               : fps <= 24     ? TTimecodeRate::Fps24
                               : fps == 25     ? TTimecodeRate::Fps25
                                               : TTimecodeRate::Fps30;
    const TTimecodeLabel next = LabelAt(FrameIndex(frame.label, rate) + 1, rate);
    TNextBits out;
    out.Put(0, 4, next.frames % 10);
    out.Put(8, 2, next.frames / 10);
    out.Put(10, 1, frame.dropFrame ? 1 : 0);
    out.Put(16, 4, next.seconds % 10);
    out.Put(24, 3, next.seconds / 10);
    out.Put(32, 4, next.minutes % 10);
    out.Put(40, 3, next.minutes / 10);
    out.Put(48, 4, next.hours % 10);
    out.Put(56, 2, next.hours / 10);
    out.Put(64, 16, 0xBFFC);  // 0011 1111 1111 1101 as sent, first bit lowest
    return out;
}

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
    writer_ = static_cast<int>(gettid());
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
            // Backwards the next frame is an earlier one: no run.
            const TNextBits next = NextBits(frame);
            run_.FrameEnded(found.off_end, frame.reverse ? 0 : length / kFrameBits,
                            Level(found.sample_min), Level(found.sample_max), next.bits,
                            next.mask);
            lastStart_ = found.off_start;
            lastLength_ = static_cast<int64_t>(length);
        }
    }
    // Why no cue goes early while the clock runs on within a frame. The clock stands on a
    // moment of the frame after the last decoded only (1) once the whole label of that frame
    // (bits 0-57) has been heard and its time fields and drop-frame flag are those of the
    // label that follows, (2) over bits heard since at the bit pace, each counted at its
    // nominal length and none past the edge that ended it, the sync word's as sent, and
    // (3) never past that frame's end. So a desk that stops dead (no edge) or slows (fewer
    // bits) holds the clock where it is; one that stands on a frame, jumps or goes back at a
    // frame's end, or cuts into another frame within one, sends a label other than the one
    // expected, or breaks the pace, before the clock has moved. Left: a cut within a frame that
    // keeps the bit phase (a jump by whole frames of a timecode rendered from a workstation's
    // timeline) into a frame whose label differs only in bits already past: it is taken for
    // the frame expected, and a cue in it may go early by the jump. Desks that send whole
    // frames cannot do it; the frame's decoding shows the jump and the clock then holds.
    int64_t runUs = 0;
    if (run_.Bits() >= kLabelBits && run_.Reach() >= 0) {
        const int64_t heard = lastLength_ + lastLength_ * run_.Bits() / kFrameBits;
        runUs = std::min(heard, run_.Reach() - lastStart_) * 1000000 / sampleRate_;
    }
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
