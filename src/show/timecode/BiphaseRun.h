#pragma once
// Follows a biphase-mark signal past the end of the last frame decoded, bit by bit, as the
// frame expected next: how much of that frame is known to have been heard before it is whole.
// A bit counts once its cell has ended at the frame's bit pace and, where the frame's time
// fields lie, only when it agrees with the label expected. Silence, a cut, another pace or a
// bit that disagrees end the run for good; only the next frame starts another.

#include <array>
#include <bitset>
#include <cstddef>
#include <cstdint>

namespace kv {

class TBiphaseRun {
public:
    static constexpr int kFrameBits = 80;

    // Every sample in order; position counts them from the stream's start.
    void Sample(int64_t position, float value);
    // A frame was decoded: last, its last sample; bitSamples, its bit period; low and high,
    // its signal's levels; expected, the next frame's bits where mask is set. The transitions
    // already taken after last are checked anew.
    using TBits = std::bitset<kFrameBits>;
    void FrameEnded(int64_t last, double bitSamples, float low, float high,
                    const TBits& expected, const TBits& mask);
    // Whole bits of the next frame heard, at most a frame's.
    int Bits() const { return bits_; }
    // The transition that ended the last of them; -1 while there is none.
    int64_t Reach() const { return reach_; }

private:
    void Step(int64_t transition);
    // The cell just ended; false when it ends the run.
    bool Take(bool one);

    // Enough for the samples a decoder may take before it gives the frame out; a transition
    // pushed out of it only shortens the run.
    static constexpr size_t kKept = 512;
    std::array<int64_t, kKept> transitions_{};
    size_t count_ = 0;  // taken in all
    // Hysteresis around the frame's mid-level, so that noise between its levels is no edge.
    float upper_ = 0;
    float lower_ = 0;
    bool levelsKnown_ = false;
    bool high_ = false;
    double bitSamples_ = 0;
    int64_t frameEnd_ = -1;
    TBits expected_;
    TBits mask_;
    int64_t previous_ = -1;  // the run's last transition, from the next frame's first on
    // Half bits since the start of the next frame's first cell: odd at a cell's middle.
    int halves_ = 0;
    bool one_ = false;  // the cell under way has its middle transition
    int bits_ = 0;
    int64_t reach_ = -1;
    bool broken_ = true;
};

}  // namespace kv
