#pragma once
// A stream that plays on the sound server. A feeding thread of its own decodes into the
// server a little at a time: the main thread blocks in bus transactions and in the 2 s pause
// of a high-voltage shot, and the music must not stall with it. The main thread's calls are
// handed to the feeding thread and wait there, so the stream's state needs no locks.
// The stream is our own server connection rather than a Qt audio sink: only the server knows
// how long a sample takes to reach the speakers, and Qt 6.4 does not pass that on.

#include "audio/AudioStream.h"

#include <QThread>

#include <chrono>
#include <functional>
#include <vector>

class QObject;
class QTimer;
struct pa_simple;

namespace kv {

class TPlaybackStream : public TAudioStream {
public:
    explicit TPlaybackStream(std::unique_ptr<TAudioDecoder> decoder);
    ~TPlaybackStream() override;

    // False when no sound server took a stream.
    bool HasOutput() const { return hasOutput_; }

    int64_t PositionBytes() override;
    void SetPositionBytes(int64_t position) override;
    int64_t GetData(uint8_t*, size_t) override { return -1; }
    void Play() override;
    void Stop() override;
    bool IsActive() override;
    int64_t HeardDelayUs() override;

private:
    using TClock = std::chrono::steady_clock;

    // Runs the call on the feeding thread and waits for it. Main thread only.
    void OnFeeder(const std::function<void()>& call);
    // The rest runs on the feeding thread.
    pa_simple* OpenOutput() const;
    void CreateTimer();
    void StartOutput();
    void StopOutput();
    void Feed();
    // Keeps about kLeadUs of sound queued at the server; false on a write failure.
    bool FillQueue();
    // When the first sample of this play reaches the speakers, by the server's latency.
    TClock::time_point HeardStartNow();
    int64_t HeardBytes() const;

    std::unique_ptr<TAudioDecoder> decoder_;
    QThread thread_;
    QObject* context_ = nullptr;  // lives on the feeding thread
    QTimer* timer_ = nullptr;
    pa_simple* output_ = nullptr;
    bool hasOutput_ = false;

    std::vector<uint8_t> chunk_;
    int64_t position_ = 0;    // where the next play starts
    int64_t startByte_ = 0;   // where the present play started
    int64_t writtenEnd_ = 0;  // the end of what the server was given
    bool decodedAll_ = false;
    TClock::time_point heardStart_;
    bool playing_ = false;
};

}  // namespace kv
