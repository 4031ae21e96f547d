#pragma once
// Linear timecode made with libltc's encoder, as a sound desk would play it, and a virtual
// capture that hands it to the timecode input as virtual time passes. Every frame played
// is kept with the tick it began at, so a test can tell when a show time was played.

#include "show/scenario/Timecode.h"
#include "show/timecode/LtcEncoder.h"
#include "show/timecode/TimecodeInput.h"

#include <climits>
#include <cstdint>
#include <memory>
#include <vector>

namespace kv {
class TTimer;
}

namespace kvtest {

class TLtcSignal {
public:
    static constexpr int kRate = 48000;

    // zero: the label of show time 0, to tell played show times.
    TLtcSignal(kv::TTimecodeRate rate, kv::TTimecodeLabel zero = {});
    ~TLtcSignal();
    // The next frames begin at this label.
    void Cue(const kv::TTimecodeLabel& label);
    void CueShowMs(int32_t ms);
    void Play(int frames);
    // Frames played backwards from the cued label down.
    void PlayReversed(int frames);
    void Silence(int32_t ms);
    // The first part of the next frame, cut off there (the rest never played).
    void PlayCut(double part);
    // The next frames slower by factor (1.1: a tenth) from part of the first on, as a desk's
    // varispeed pulled down within a frame.
    void PlaySlowed(int frames, double factor, double part);
    // Edges at the frames' bit pace, a half bit apart, that make up no frame.
    void PlayBitPace(int32_t ms);
    // Amplitude of the frames played from now on (libltc's default is -3 dBFS).
    void SetVolume(double dbfs) { volume_ = dbfs; }
    // Noise of this peak amplitude over everything played from now on.
    void SetNoise(float peak) { noise_ = peak; }
    // The user bits of the frames played from now on: each frame's differ from the last's.
    void SetChangingUserBits(bool on) { changingUserBits_ = on; }
    int64_t Samples() const { return static_cast<int64_t>(samples_.size()); }
    const std::vector<float>& Data() const { return samples_; }

    // When the desk first played show time ms going forwards, in ms from the stream's start;
    // -1 when it never did.
    int64_t PlayedAt(int32_t ms) const;
    // The furthest show time the desk had played by ms from the stream's start, a frame's end
    // taken as reached runOnMs after its end (what a freewheel may run on); INT32_MIN before
    // the first frame.
    int32_t ReachedBy(int64_t ms, int32_t runOnMs) const;
    // Where the next frame played begins, in show ms.
    int32_t NextShowMs() const;
    int64_t LengthMs() const { return Samples() * 1000 / kRate; }

private:
    struct TPlayed {
        int64_t firstSample;
        int64_t showMs;   // where the frame begins
        int64_t lengthUs;  // of its show time played
        // Samples played at the frame's own pace, the rest slower by stretch.
        int64_t paced = INT64_MAX;
        double stretch = 1;
    };
    void Append(const float* data, size_t count);
    std::vector<float> Encode(int64_t index);

    kv::TTimecodeRate rate_;
    // One encoder throughout: it carries the signal's level and the rounding of the frames'
    // lengths from frame to frame.
    kv::TLtcEncoder encoder_;
    int64_t zeroMs_;
    int64_t next_ = 0;  // frame index
    double volume_ = -3;
    float noise_ = 0;
    bool changingUserBits_ = false;
    uint32_t noiseState_ = 12345;
    std::vector<float> samples_;
    std::vector<TPlayed> played_;
};

// Feeds the signal to the input every few ms of virtual time from the tick it was created.
// earlyMs: the samples come in so long before they are played, as a sink's monitor hands
// them over, and are dated when played.
class TVirtualCapture {
public:
    TVirtualCapture(const TLtcSignal& signal, kv::TTimecodeInput& input, uint32_t blockMs = 10,
                    uint32_t earlyMs = 0);
    ~TVirtualCapture();
    uint32_t StartTick() const { return start_; }

private:
    void Feed();

    const TLtcSignal& signal_;
    kv::TTimecodeInput& input_;
    uint32_t start_;
    uint32_t earlyMs_;
    int64_t written_ = 0;
    std::unique_ptr<kv::TTimer> timer_;
};

}  // namespace kvtest
