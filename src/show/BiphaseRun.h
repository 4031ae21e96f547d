#pragma once
// Follows a biphase-mark signal past the end of the last frame decoded, for as long as its
// transitions keep that frame's bit pace: how far the timecode is known to go on beyond the
// frame before the next one is whole. Silence, a cut or a signal at another pace ends the run
// for good; only the next frame starts another.

#include <array>
#include <cstddef>
#include <cstdint>

namespace kv {

class TBiphaseRun {
public:
    // Every sample in order; position counts them from the stream's start.
    void Sample(int64_t position, float value);
    // A frame was decoded: last, its last sample; bitSamples, its bit period; low and high,
    // its signal's levels. The transitions already taken after last are checked anew.
    void FrameEnded(int64_t last, double bitSamples, float low, float high);
    // The last transition of the run past the frame's end; -1 while there is none.
    int64_t Reach() const { return reach_; }

private:
    void Step(int64_t transition);

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
    int64_t previous_ = -1;  // the run's last transition, or the frame's last before its end
    int64_t reach_ = -1;
    bool broken_ = true;
};

}  // namespace kv
