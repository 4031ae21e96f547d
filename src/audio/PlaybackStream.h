#pragma once
// A stream that plays on the sound server. A feeding thread of its own decodes into the
// server a little at a time: the main thread blocks in bus transactions and in the 2 s pause
// of a high-voltage shot, and the music must not stall with it. Nor may the main thread
// stall with a server that stops answering: it waits for the feeding thread a few
// milliseconds at most, and a feeding thread caught in a call that never returns is left
// behind when the stream goes.
// The stream is our own server connection rather than a Qt audio sink: only the server knows
// how long a sample takes to reach the speakers, and Qt 6.4 does not pass that on.

#include "audio/AudioStream.h"
#include "audio/SoundServer.h"

#include <memory>
#include <thread>

namespace kv {

class TSoundFeeder;

class TPlaybackStream : public TAudioStream {
public:
    // The longest the main thread waits for the feeding thread.
    static constexpr int kAnswerWaitMs = 5;

    TPlaybackStream(std::unique_ptr<TAudioDecoder> decoder, std::shared_ptr<TSoundServer> server);
    ~TPlaybackStream() override;

    // False when the server took no stream; true also while it has not said.
    bool HasOutput() const;

    int64_t PositionBytes() override;
    void SetPositionBytes(int64_t position) override;
    int64_t GetData(uint8_t*, size_t) override { return -1; }
    void Play() override;
    void Stop() override;
    bool IsActive() override;
    int64_t HeardDelayUs() override;
    bool Stalled() override;
    int FeedingThread() const override;

private:
    std::shared_ptr<TSoundFeeder> feeder_;
    std::thread thread_;
};

}  // namespace kv
