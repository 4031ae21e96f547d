#include "show/LtcSignal.h"

#include "support/Platform.h"

#include <ltc.h>

#include <algorithm>
#include <cmath>

namespace kvtest {

namespace {

double Fps(kv::TTimecodeRate rate)
{
    return rate == kv::TTimecodeRate::Fps2997Drop ? 30000.0 / 1001 : kv::LabelFps(rate);
}

LTC_TV_STANDARD Standard(kv::TTimecodeRate rate)
{
    switch (rate) {
    case kv::TTimecodeRate::Fps24: return LTC_TV_FILM_24;
    case kv::TTimecodeRate::Fps25: return LTC_TV_625_50;
    default: return LTC_TV_525_60;
    }
}

}  // namespace

TLtcSignal::TLtcSignal(kv::TTimecodeRate rate, kv::TTimecodeLabel zero)
    : rate_(rate),
      encoder_(ltc_encoder_create(kRate, Fps(rate), Standard(rate), 0)),
      zeroMs_(kv::FrameStartMs(kv::FrameIndex(zero, rate), rate))
{
    Cue(zero);
}

TLtcSignal::~TLtcSignal()
{
    ltc_encoder_free(encoder_);
}

void TLtcSignal::Cue(const kv::TTimecodeLabel& label)
{
    next_ = kv::FrameIndex(label, rate_);
}

void TLtcSignal::CueShowMs(int32_t ms)
{
    next_ = kv::FrameAtMs(zeroMs_ + ms, rate_);
}

std::vector<float> TLtcSignal::Encode(int64_t index)
{
    ltc_encoder_set_volume(encoder_, volume_);
    const kv::TTimecodeLabel label = kv::LabelAt(index, rate_);
    SMPTETimecode time{};
    time.hours = static_cast<unsigned char>(label.hours);
    time.mins = static_cast<unsigned char>(label.minutes);
    time.secs = static_cast<unsigned char>(label.seconds);
    time.frame = static_cast<unsigned char>(label.frames);
    ltc_encoder_set_timecode(encoder_, &time);
    ltc_encoder_encode_frame(encoder_);
    ltcsnd_sample_t* buffer = nullptr;
    const int count = ltc_encoder_get_bufferptr(encoder_, &buffer, 1);
    std::vector<float> frame(static_cast<size_t>(std::max(count, 0)));
    for (size_t i = 0; i < frame.size(); ++i)
        frame[i] = (static_cast<float>(buffer[i]) - 128.0f) / 127.0f;
    return frame;
}

void TLtcSignal::Append(const float* data, size_t count)
{
    for (size_t i = 0; i < count; ++i) {
        float value = data ? data[i] : 0.0f;
        if (noise_ > 0) {
            noiseState_ = noiseState_ * 1664525u + 1013904223u;
            value += noise_ * (static_cast<float>(noiseState_ >> 8) / 8388608.0f - 1.0f);
        }
        samples_.push_back(value);
    }
}

void TLtcSignal::Play(int frames)
{
    for (int i = 0; i < frames; ++i, ++next_) {
        const std::vector<float> frame = Encode(next_);
        played_.push_back({Samples(), kv::FrameStartMs(next_, rate_) - zeroMs_,
                           static_cast<int64_t>(frame.size()) * 1000000 / kRate});
        Append(frame.data(), frame.size());
    }
}

void TLtcSignal::PlayReversed(int frames)
{
    std::vector<float> run;
    for (int i = frames - 1; i >= 0; --i) {
        const std::vector<float> frame = Encode(next_ - i);
        run.insert(run.end(), frame.begin(), frame.end());
    }
    std::reverse(run.begin(), run.end());
    Append(run.data(), run.size());
    next_ -= frames;
}

void TLtcSignal::Silence(int32_t ms)
{
    Append(nullptr, static_cast<size_t>(ms) * kRate / 1000);
}

int64_t TLtcSignal::PlayedAt(int32_t ms) const
{
    for (const TPlayed& frame : played_)
        if (frame.showMs <= ms && ms * int64_t{1000} < frame.showMs * 1000 + frame.lengthUs)
            return frame.firstSample * 1000 / kRate + (ms - frame.showMs);
    return -1;
}

TVirtualCapture::TVirtualCapture(const TLtcSignal& signal, kv::TTimecodeInput& input,
                                 uint32_t blockMs)
    : signal_(signal),
      input_(input),
      start_(kv::Platform().TickCount()),
      timer_(kv::Platform().CreateTimer([this] { Feed(); }))
{
    timer_->SetInterval(blockMs);
    timer_->SetEnabled(true);
}

TVirtualCapture::~TVirtualCapture() = default;

void TVirtualCapture::Feed()
{
    const uint32_t now = kv::Platform().TickCount();
    const int64_t due = std::min<int64_t>(int64_t{now - start_} * TLtcSignal::kRate / 1000,
                                          signal_.Samples());
    if (due <= written_)
        return;
    const uint32_t endTick = start_ + static_cast<uint32_t>(due * 1000 / TLtcSignal::kRate);
    input_.Write(signal_.Data().data() + written_, static_cast<size_t>(due - written_), endTick);
    written_ = due;
}

}  // namespace kvtest
