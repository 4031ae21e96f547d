#include "show/timecode/LtcEncoder.h"

#include <ltc.h>

#include <algorithm>

namespace kv {

namespace {

double Fps(TTimecodeRate rate)
{
    return rate == TTimecodeRate::Fps2997Drop ? 30000.0 / 1001 : LabelFps(rate);
}

LTC_TV_STANDARD Standard(TTimecodeRate rate)
{
    switch (rate) {
    case TTimecodeRate::Fps24: return LTC_TV_FILM_24;
    case TTimecodeRate::Fps25: return LTC_TV_625_50;
    default: return LTC_TV_525_60;
    }
}

void FreeEncoder(LTCEncoder* encoder)
{
    if (encoder)
        ltc_encoder_free(encoder);
}

}  // namespace

TLtcEncoder::TLtcEncoder(TTimecodeRate rate, int sampleRate)
    : encoder_(ltc_encoder_create(sampleRate, Fps(rate), Standard(rate), 0), FreeEncoder)
{
}

TLtcEncoder::~TLtcEncoder() = default;

void TLtcEncoder::SetVolume(double dbfs)
{
    if (encoder_)
        ltc_encoder_set_volume(encoder_.get(), dbfs);
}

std::vector<float> TLtcEncoder::Frame(const TTimecodeLabel& label, uint32_t userBits)
{
    std::vector<float> frame;
    if (!encoder_)
        return frame;
    SMPTETimecode time{};
    time.hours = static_cast<unsigned char>(label.hours);
    time.mins = static_cast<unsigned char>(label.minutes);
    time.secs = static_cast<unsigned char>(label.seconds);
    time.frame = static_cast<unsigned char>(label.frames);
    ltc_encoder_set_timecode(encoder_.get(), &time);
    ltc_encoder_set_user_bits(encoder_.get(), userBits);
    ltc_encoder_encode_frame(encoder_.get());
    ltcsnd_sample_t* buffer = nullptr;
    const int count = ltc_encoder_get_bufferptr(encoder_.get(), &buffer, 1);
    frame.resize(static_cast<size_t>(std::max(count, 0)));
    for (size_t i = 0; i < frame.size(); ++i)
        frame[i] = (static_cast<float>(buffer[i]) - 128.0f) / 127.0f;
    return frame;
}

}  // namespace kv
