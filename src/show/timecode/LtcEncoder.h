#pragma once
// libltc's encoder, one frame at a time, with the label each frame is to carry. One encoder
// for a whole signal: it carries the level and the rounding of the frames' lengths on.

#include "show/scenario/Timecode.h"

#include <cstdint>
#include <memory>
#include <vector>

struct LTCEncoder;

namespace kv {

class TLtcEncoder {
public:
    // rate: 24, 25, 29.97 drop-frame (the frames flagged so) or 30.
    TLtcEncoder(TTimecodeRate rate, int sampleRate);
    ~TLtcEncoder();
    TLtcEncoder(const TLtcEncoder&) = delete;
    TLtcEncoder& operator=(const TLtcEncoder&) = delete;

    // The frames' peak level from now on (libltc's default is -3 dBFS).
    void SetVolume(double dbfs);
    // Mono samples in [-1, 1]; empty when libltc made no encoder. userBits: the frame's 32
    // user bits, which a desk fills as it likes (a date, a reel number).
    std::vector<float> Frame(const TTimecodeLabel& label, uint32_t userBits = 0);

private:
    std::unique_ptr<LTCEncoder, void (*)(LTCEncoder*)> encoder_;
};

}  // namespace kv
