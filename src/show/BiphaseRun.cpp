#include "show/BiphaseRun.h"

namespace kv {

namespace {

// Biphase-mark edges come a half or a whole bit apart; a little over a bit allows a desk's
// varispeed and jitter, anything longer is a gap.
bool AtBitPace(double bits)
{
    return (bits >= 0.3 && bits <= 0.7) || (bits >= 0.8 && bits <= 1.5);
}

}  // namespace

void TBiphaseRun::Sample(int64_t position, float value)
{
    if (!levelsKnown_)
        return;
    const bool crossed = high_ ? value < lower_ : value > upper_;
    if (!crossed)
        return;
    high_ = !high_;
    transitions_[count_++ % kKept] = position;
    Step(position);
}

void TBiphaseRun::FrameEnded(int64_t last, double bitSamples, float low, float high)
{
    const float quarter = (high - low) / 4;
    upper_ = (high + low) / 2 + quarter;
    lower_ = (high + low) / 2 - quarter;
    levelsKnown_ = quarter > 0;
    bitSamples_ = bitSamples;
    frameEnd_ = last;
    reach_ = -1;
    previous_ = -1;
    broken_ = bitSamples <= 0;
    const size_t kept = count_ < kKept ? count_ : kKept;
    for (size_t i = count_ - kept; i < count_; ++i) {
        const int64_t transition = transitions_[i % kKept];
        if (transition <= last)
            previous_ = transition;
        else
            Step(transition);
    }
}

void TBiphaseRun::Step(int64_t transition)
{
    if (broken_ || transition <= frameEnd_)
        return;
    // Without the frame's own last edge nothing tells that the next one keeps its pace.
    if (previous_ < 0 || !AtBitPace(static_cast<double>(transition - previous_) / bitSamples_)) {
        broken_ = true;
        return;
    }
    previous_ = reach_ = transition;
}

}  // namespace kv
