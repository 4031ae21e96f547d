#include "audio/PlaybackStream.h"

#include "audio/SoundFeeder.h"

namespace kv {

TPlaybackStream::TPlaybackStream(std::unique_ptr<TAudioDecoder> decoder,
                                 std::shared_ptr<TSoundServer> server)
    : TAudioStream(*decoder),
      feeder_(std::make_shared<TSoundFeeder>(std::move(decoder), std::move(server)))
{
    // The thread keeps the feeder alive, should it outlive the stream.
    thread_ = std::thread([feeder = feeder_] { feeder->Run(); });
}

TPlaybackStream::~TPlaybackStream()
{
    feeder_->Quit();
    if (feeder_->WaitUntilEnded(kAnswerWaitMs))
        thread_.join();
    else
        thread_.detach();  // in a server call that may never return
}

bool TPlaybackStream::HasOutput() const
{
    return feeder_->HasOutput(kAnswerWaitMs);
}

int TPlaybackStream::FeedingThread() const
{
    return feeder_->ThreadId();
}

int64_t TPlaybackStream::PositionBytes()
{
    return feeder_->PositionBytes();
}

void TPlaybackStream::SetPositionBytes(int64_t position)
{
    feeder_->SetPositionBytes(position);
}

void TPlaybackStream::Play()
{
    feeder_->Play(kAnswerWaitMs);
}

void TPlaybackStream::Stop()
{
    feeder_->Stop();
}

bool TPlaybackStream::IsActive()
{
    return feeder_->IsActive();
}

int64_t TPlaybackStream::HeardDelayUs()
{
    return feeder_->HeardDelayUs();
}

bool TPlaybackStream::Stalled()
{
    return feeder_->Stalled();
}

}  // namespace kv
