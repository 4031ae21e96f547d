#include "show/timecode/BiphaseRun.h"

#include <cmath>
#include <cstdlib>

namespace kv {

namespace {

// Biphase-mark edges come a half or a whole bit apart; a little over a bit allows a desk's
// varispeed and jitter, anything longer is a gap. 0: neither.
int Halves(double bits)
{
    if (bits >= 0.3 && bits <= 0.7)
        return 1;
    return bits >= 0.8 && bits <= 1.5 ? 2 : 0;
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

void TBiphaseRun::FrameEnded(int64_t last, double bitSamples, float low, float high,
                             const TBits& expected, const TBits& mask)
{
    const float quarter = (high - low) / 4;
    upper_ = (high + low) / 2 + quarter;
    lower_ = (high + low) / 2 - quarter;
    levelsKnown_ = quarter > 0;
    bitSamples_ = bitSamples;
    frameEnd_ = last;
    expected_ = expected;
    mask_ = mask;
    reach_ = -1;
    previous_ = -1;
    halves_ = 0;
    one_ = false;
    bits_ = 0;
    broken_ = bitSamples <= 0;
    const size_t kept = count_ < kKept ? count_ : kKept;
    for (size_t i = count_ - kept; i < count_; ++i)
        Step(transitions_[i % kKept]);
}

void TBiphaseRun::Step(int64_t transition)
{
    if (broken_)
        return;
    if (previous_ < 0) {
        // The next frame's first cell begins with the edge right after the frame's last
        // sample; without it the frame's pace is lost.
        const double off = static_cast<double>(transition - (frameEnd_ + 1));
        if (std::abs(off) <= bitSamples_ / 4)
            previous_ = transition;
        else if (off > 0)
            broken_ = true;
        return;
    }
    const int halves = Halves(static_cast<double>(transition - previous_) / bitSamples_);
    // A whole bit from a cell's middle is no biphase mark.
    if (halves == 0 || (halves == 2 && halves_ % 2 == 1)) {
        broken_ = true;
        return;
    }
    halves_ += halves;
    previous_ = transition;
    if (halves_ % 2 == 1)
        one_ = true;
    else if (Take(one_))
        reach_ = transition;
}

bool TBiphaseRun::Take(bool one)
{
    one_ = false;
    // A bit of another label: the desk went elsewhere, or stands.
    if (mask_[static_cast<size_t>(bits_)] && expected_[static_cast<size_t>(bits_)] != one) {
        broken_ = true;
        return false;
    }
    // Never past the frame expected: the one after is known once this one is decoded.
    broken_ = ++bits_ == kFrameBits;
    return true;
}

}  // namespace kv
