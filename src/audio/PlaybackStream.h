#pragma once
// A stream that plays on the default output device. A feeding thread of its own decodes into
// the sink a little at a time: the main thread blocks in bus transactions and in the 2 s pause
// of a high-voltage shot, and the music must not stall with it. The main thread's calls are
// handed to the feeding thread and wait there, so the stream's state needs no locks.

#include "audio/AudioStream.h"

#include <QThread>

#include <functional>
#include <vector>

class QAudioDevice;
class QAudioSink;
class QIODevice;
class QObject;
class QTimer;

namespace kv {

class TPlaybackStream : public TAudioStream {
public:
    explicit TPlaybackStream(std::unique_ptr<TAudioDecoder> decoder);
    ~TPlaybackStream() override;

    // False when the output device could not be had.
    bool HasOutput() const { return sink_ != nullptr; }

    int64_t PositionBytes() override;
    void SetPositionBytes(int64_t position) override;
    int64_t GetData(uint8_t*, size_t) override { return -1; }
    void Play() override;
    void Stop() override;
    bool IsActive() override;

private:
    // Runs the call on the feeding thread and waits for it. Main thread only.
    void OnFeeder(const std::function<void()>& call);
    // The rest runs on the feeding thread.
    void CreateSink(const QAudioDevice& device);
    void DestroySink();
    void StartSink();
    void StopSink();
    void Feed();
    int64_t PlayedBytes() const;

    std::unique_ptr<TAudioDecoder> decoder_;
    QThread thread_;
    QObject* context_ = nullptr;  // lives on the feeding thread
    QAudioSink* sink_ = nullptr;
    QIODevice* device_ = nullptr;
    QTimer* timer_ = nullptr;

    std::vector<uint8_t> chunk_;  // decoded, not yet taken by the sink
    size_t chunkSent_ = 0;
    int64_t position_ = 0;    // where the next play starts
    int64_t startByte_ = 0;   // where the present play started
    int64_t writtenEnd_ = 0;  // the end of what the sink was given
    bool playing_ = false;
};

}  // namespace kv
