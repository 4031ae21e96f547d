#include "rigs/LtcSignal.h"

#include "support/platform/Platform.h"

#include <algorithm>
#include <climits>
#include <cmath>

namespace kvtest {

TLtcSignal::TLtcSignal(kv::TTimecodeRate rate, kv::TTimecodeLabel zero)
    : rate_(rate),
      encoder_(rate, kRate),
      zeroMs_(kv::FrameStartMs(kv::FrameIndex(zero, rate), rate))
{
    Cue(zero);
}

TLtcSignal::~TLtcSignal() = default;

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
    encoder_.SetVolume(volume_);
    const auto userBits = changingUserBits_ ? static_cast<uint32_t>(index * 2654435761u) : 0u;
    return encoder_.Frame(kv::LabelAt(index, rate_), userBits);
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

void TLtcSignal::PlayCut(double part)
{
    const std::vector<float> frame = Encode(next_);
    const auto count = static_cast<size_t>(static_cast<double>(frame.size()) * part);
    played_.push_back({Samples(), kv::FrameStartMs(next_, rate_) - zeroMs_,
                       static_cast<int64_t>(count) * 1000000 / kRate});
    Append(frame.data(), count);
    ++next_;
}

void TLtcSignal::PlaySlowed(int frames, double factor, double part)
{
    for (int i = 0; i < frames; ++i, ++next_) {
        const std::vector<float> frame = Encode(next_);
        const auto paced = static_cast<size_t>(i == 0 ? part * static_cast<double>(frame.size()) : 0);
        std::vector<float> slowed(frame.begin(), frame.begin() + static_cast<ptrdiff_t>(paced));
        for (double at = static_cast<double>(paced); at < static_cast<double>(frame.size()); at += 1 / factor)
            slowed.push_back(frame[static_cast<size_t>(at)]);
        played_.push_back({Samples(), kv::FrameStartMs(next_, rate_) - zeroMs_,
                           static_cast<int64_t>(frame.size()) * 1000000 / kRate,
                           static_cast<int64_t>(paced), factor});
        Append(slowed.data(), slowed.size());
    }
}

void TLtcSignal::PlayBitPace(int32_t ms)
{
    const double halfBit = static_cast<double>(kv::FramePeriodUs(rate_)) * kRate / 1e6 / 160;
    const auto peak = static_cast<float>(std::pow(10.0, volume_ / 20));
    std::vector<float> edges(static_cast<size_t>(ms) * kRate / 1000);
    for (size_t i = 0; i < edges.size(); ++i)
        edges[i] = static_cast<int64_t>(static_cast<double>(i) / halfBit) % 2 ? peak : -peak;
    Append(edges.data(), edges.size());
}

void TLtcSignal::Silence(int32_t ms)
{
    Append(nullptr, static_cast<size_t>(ms) * kRate / 1000);
}

int32_t TLtcSignal::ReachedBy(int64_t ms, int32_t runOnMs) const
{
    int64_t reached = INT32_MIN;
    for (const TPlayed& frame : played_) {
        const int64_t since = ms - frame.firstSample * 1000 / kRate;
        if (since >= 0)
            reached = std::max(reached, frame.showMs + std::min(since, frame.lengthUs / 1000 + 1 + runOnMs));
    }
    return static_cast<int32_t>(reached);
}

int32_t TLtcSignal::NextShowMs() const
{
    return static_cast<int32_t>(kv::FrameStartMs(next_, rate_) - zeroMs_);
}

int64_t TLtcSignal::PlayedAt(int32_t ms) const
{
    for (const TPlayed& frame : played_)
        if (frame.showMs <= ms && ms * int64_t{1000} < frame.showMs * 1000 + frame.lengthUs) {
            // The slowed part's show time took stretch times as long to play.
            const int64_t into = (ms - frame.showMs) * kRate / 1000;
            const double slowed = static_cast<double>(into - std::min(into, frame.paced));
            const auto later = static_cast<int64_t>(std::ceil(slowed * (frame.stretch - 1) * 1000 / kRate));
            return frame.firstSample * 1000 / kRate + (ms - frame.showMs) + later;
        }
    return -1;
}

TVirtualCapture::TVirtualCapture(const TLtcSignal& signal, kv::TTimecodeInput& input,
                                 uint32_t blockMs, uint32_t earlyMs)
    : signal_(signal),
      input_(input),
      start_(kv::Platform().TickCount()),
      earlyMs_(earlyMs),
      timer_(kv::Platform().CreateTimer([this] { Feed(); }))
{
    timer_->SetInterval(blockMs);
    timer_->SetEnabled(true);
}

TVirtualCapture::~TVirtualCapture() = default;

void TVirtualCapture::Feed()
{
    const uint32_t now = kv::Platform().TickCount();
    const int64_t due = std::min<int64_t>(
        int64_t{now - start_ + earlyMs_} * TLtcSignal::kRate / 1000, signal_.Samples());
    if (due <= written_)
        return;
    const uint32_t endTick = start_ + static_cast<uint32_t>(due * 1000 / TLtcSignal::kRate);
    input_.Write(signal_.Data().data() + written_, static_cast<size_t>(due - written_), endTick);
    written_ = due;
}

}  // namespace kvtest
