#include "show/VirtualPlayback.h"

#include "support/Platform.h"

#include <algorithm>

namespace kvtest {

TVirtualPlayback::TVirtualPlayback(std::unique_ptr<kv::TAudioDecoder> decoder, uint32_t latencyMs,
                                   TOutputClock clock)
    : TAudioStream(*decoder), decoder_(std::move(decoder)), latencyMs_(latencyMs), clock_(clock)
{
}

int32_t TVirtualPlayback::Elapsed() const
{
    return static_cast<int32_t>(kv::Platform().TickCount() - playTick_);
}

int64_t TVirtualPlayback::LatencyAt(int32_t elapsed) const
{
    return clock_.laterLatencyMs >= 0 && elapsed >= clock_.latencyChangeAtMs ? clock_.laterLatencyMs
                                                                             : latencyMs_;
}

int64_t TVirtualPlayback::HeardBytes() const
{
    const int32_t elapsed = Elapsed();
    const int64_t playedMs = std::max<int64_t>(elapsed - LatencyAt(elapsed), 0);
    const int64_t stalledMs = std::clamp<int64_t>(playedMs - clock_.stallAtMs, 0, clock_.stallMs);
    const int64_t misreadMs = playedMs >= clock_.misreadAtMs &&
                                      playedMs < clock_.misreadAtMs + clock_.misreadForMs
                                  ? clock_.misreadAheadMs
                                  : 0;
    const int64_t frame = decoder_->FrameBytes();
    const int64_t heard =
        (playedMs - stalledMs + misreadMs) * clock_.perMille * Frequency() / 1000000 * frame;
    return std::min(position_ + heard, LengthBytes());
}

int64_t TVirtualPlayback::PositionBytes()
{
    return playing_ ? HeardBytes() : position_;
}

void TVirtualPlayback::SetPositionBytes(int64_t position)
{
    const int64_t frame = decoder_->FrameBytes();
    position_ = std::clamp<int64_t>(position - position % frame, 0, LengthBytes());
    playTick_ = kv::Platform().TickCount();
}

void TVirtualPlayback::Play()
{
    if (!playing_)
        playTick_ = kv::Platform().TickCount();
    playing_ = true;
}

void TVirtualPlayback::Stop()
{
    position_ = PositionBytes();
    playing_ = false;
}

bool TVirtualPlayback::IsActive()
{
    return playing_ && HeardBytes() < LengthBytes();
}

int64_t TVirtualPlayback::HeardDelayUs()
{
    if (!playing_)
        return 0;
    const int32_t elapsed = Elapsed();
    return std::max<int64_t>(LatencyAt(elapsed) - elapsed, 0) * 1000;
}

TVirtualSoundOutput::TVirtualSoundOutput(int latencyMs, TOutputClock clock)
{
    kv::InstallPlaybackOutput(
        [latencyMs, clock](std::unique_ptr<kv::TAudioDecoder> decoder) -> std::unique_ptr<kv::TAudioStream> {
            if (latencyMs < 0)
                return nullptr;
            return std::make_unique<TVirtualPlayback>(std::move(decoder),
                                                      static_cast<uint32_t>(latencyMs), clock);
        });
}

TVirtualSoundOutput::~TVirtualSoundOutput()
{
    kv::InstallPlaybackOutput(nullptr);
}

}  // namespace kvtest
