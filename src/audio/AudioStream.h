#pragma once
// One open soundtrack stream, the handle the soundtrack objects keep: its format and length
// are fixed when it opens; position, data and playing depend on the kind of stream.

#include "audio/AudioDecoder.h"

#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>

namespace kv {

class TAudioStream {
public:
    explicit TAudioStream(const TAudioDecoder& opened);
    virtual ~TAudioStream() = default;
    TAudioStream(const TAudioStream&) = delete;
    TAudioStream& operator=(const TAudioStream&) = delete;

    uint16_t Channels() const { return channels_; }
    uint32_t Frequency() const { return frequency_; }
    bool EightBit() const { return eightBit_; }
    int64_t LengthBytes() const { return length_; }

    virtual int64_t PositionBytes() = 0;
    virtual void SetPositionBytes(int64_t position) = 0;
    // Decoded sample data; -1 from a stream that plays instead.
    virtual int64_t GetData(uint8_t* buffer, size_t length) = 0;
    // Starts (or continues) playing from the present position.
    virtual void Play() = 0;
    virtual void Stop() = 0;
    virtual bool IsActive() = 0;
    // How long from now until the first sample of the present play is heard: the output's
    // latency at the start of a play. 0 once it is heard, and while stopped.
    virtual int64_t HeardDelayUs() = 0;
    // The sound server has not answered a call for a while: the heard position stands still
    // or runs on a guess, and says nothing about the music.
    virtual bool Stalled() = 0;
    // The thread that feeds the output, whose delays become the music's; 0: none.
    virtual int FeedingThread() const { return 0; }

private:
    uint16_t channels_;
    uint32_t frequency_;
    bool eightBit_;
    int64_t length_;
};

// Opens the file for reading sample data (playable = false) or for playing; null on failure.
std::unique_ptr<TAudioStream> CreateAudioStream(const std::string& fileName, TDecodePath path,
                                                bool playable);

// Makes the streams that play an opened file; null when there is no output.
using TPlaybackOutput =
    std::function<std::unique_ptr<TAudioStream>(std::unique_ptr<TAudioDecoder> decoder)>;
// Replaces the sound server as the output of the streams opened from now on: engine tests
// play on virtual time with it. An empty function gives the sound server back.
void InstallPlaybackOutput(TPlaybackOutput output);

}  // namespace kv
