#pragma once
// A soundtrack file on one audio stream: its format, length and byte position. Open gives a
// stream that only decodes; TBassPlayer opens one that plays.

#include "audio/AudioStream.h"
#include "audio/FileAbstract.h"

#include <memory>

namespace kv {

class TBassFile : public TFileAbstract {
public:
    TBassFile();
    ~TBassFile() override;
    TBassFile(const TBassFile&) = delete;
    TBassFile& operator=(const TBassFile&) = delete;

    void SetFileName(const std::string& name) override;
    void Open() override;
    void Close() override;
    int64_t LengthBytes() override;
    int64_t PositionBytes() override;
    bool AtEnd() override;
    void SetPositionBytes(int64_t position) override;
    int64_t ReadData(uint8_t* buffer, size_t length) override;
    int ReadByte() override;

    bool Loaded() const { return loaded; }
    uint16_t Channels() const { return channels; }
    uint32_t Frequency() const { return frequency; }
    uint32_t BytesPerSecond() const { return bytesPerSecond; }
    uint16_t BytesPerSampleFrame() const { return bytesPerSampleFrame; }
    uint16_t Bits() const { return bits; }
    int32_t Duration() const { return duration; }

protected:
    void OpenStream(bool playable);

    uint16_t channels = 0;
    uint32_t frequency = 0;
    uint32_t bytesPerSecond = 0;
    uint16_t bytesPerSampleFrame = 0;
    uint16_t bits = 0;
    std::unique_ptr<TAudioStream> stream;  // null when none
    int32_t duration = 0;                  // ms
    // Kept in 64 bits: an hour of 48 kHz stereo is 691 MB, and longer files must not wrap.
    int64_t length = 0;
    bool loaded = false;
};

// The file's decoding path by its extension: ".wma" in any letter case.
TDecodePath DecodePathOf(const std::string& fileName);

}  // namespace kv
