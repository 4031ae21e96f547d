#pragma once
// A stream that only decodes: sample data on request, never sound.

#include "audio/AudioStream.h"

namespace kv {

class TDecodeStream : public TAudioStream {
public:
    explicit TDecodeStream(std::unique_ptr<TAudioDecoder> decoder);

    int64_t PositionBytes() override;
    void SetPositionBytes(int64_t position) override;
    int64_t GetData(uint8_t* buffer, size_t length) override;
    void Play() override {}
    void Stop() override {}
    bool IsActive() override { return false; }
    int64_t HeardDelayUs() override { return 0; }
    bool Stalled() override { return false; }

private:
    std::unique_ptr<TAudioDecoder> decoder_;
};

}  // namespace kv
