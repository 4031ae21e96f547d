#include "audio/BassPlayer.h"

#include "audio/AudioPositions.h"

namespace kv {

void TBassPlayer::Open()
{
    OpenStream(true);
}

void TBassPlayer::PlayFrom(int64_t ms)
{
    if (!stream)
        return;
    stream->SetPositionBytes(MsToBytes(ms, bytesPerSecond));
    stream->Play();
}

void TBassPlayer::StopPlaying()
{
    if (stream)
        stream->Stop();
}

bool TBassPlayer::IsPlaying()
{
    return stream && stream->IsActive();
}

void TBassPlayer::Seek(int64_t ms)
{
    if (loaded)
        stream->SetPositionBytes(MsToBytes(ms, bytesPerSecond));
}

int64_t TBassPlayer::HeardDelayUs()
{
    return stream ? stream->HeardDelayUs() : 0;
}

bool TBassPlayer::OutputStalled()
{
    return stream && stream->Stalled();
}

int TBassPlayer::FeedingThread() const
{
    return stream ? stream->FeedingThread() : 0;
}

int64_t TBassPlayer::HeardMs()
{
    return loaded && bytesPerSecond > 0 ? PositionBytes() * 1000 / bytesPerSecond : 0;
}

int64_t TBassPlayer::TimePosition()
{
    return loaded ? BytesToMs(PositionBytes(), bytesPerSecond) : 0;
}

}  // namespace kv
