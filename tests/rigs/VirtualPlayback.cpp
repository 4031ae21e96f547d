#include "rigs/VirtualPlayback.h"

#include "support/platform/Platform.h"

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
    int64_t stalledMs = std::clamp<int64_t>(playedMs - clock_.stallAtMs, 0, clock_.stallMs);
    if (clock_.stalls && playedMs > 0) {
        const uint32_t now = kv::Platform().TickCount();
        stalledMs += clock_.stalls->StalledWithin(now - static_cast<uint32_t>(playedMs), now);
    }
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

bool TVirtualPlayback::Stalled()
{
    return playing_ && clock_.stalls && clock_.stalls->SilentAt(kv::Platform().TickCount());
}

int64_t TVirtualPlayback::HeardDelayUs()
{
    if (!playing_)
        return 0;
    const int32_t elapsed = Elapsed();
    return std::max<int64_t>(LatencyAt(elapsed) - elapsed, 0) * 1000;
}

int64_t TOutputStalls::StalledWithin(uint32_t from, uint32_t now) const
{
    const int64_t span = static_cast<int32_t>(now - from);
    int64_t stalled = 0;
    for (const TStall& stall : stalls) {
        // Relative to from, so that a wrap of the tick counter goes unnoticed.
        const int64_t begin = static_cast<int32_t>(stall.tick - from);
        stalled += std::max<int64_t>(std::min<int64_t>(begin + stall.ms, span) - std::max<int64_t>(begin, 0), 0);
    }
    return stalled;
}

bool TOutputStalls::SilentAt(uint32_t now) const
{
    return std::any_of(stalls.begin(), stalls.end(), [now](const TStall& stall) {
        return stall.silent && static_cast<uint32_t>(now - stall.tick) < stall.ms;
    });
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
