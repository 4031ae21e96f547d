#pragma once
// A soundtrack file decoded with FFmpeg to interleaved PCM at the file's own rate and channel
// count: unsigned 8-bit for 8-bit sources, signed 16-bit for everything else. Only one frame of
// decoded audio is held at a time, so memory does not grow with the length of the file.

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

struct AVCodecContext;
struct AVFormatContext;
struct AVFrame;
struct AVPacket;
struct SwrContext;

namespace kv {

// WMA decoders drop audio after every open and seek; that path is only kept within ±50 ms.
enum class TDecodePath { General, Wma };

class TAudioDecoder {
public:
    TAudioDecoder() = default;
    ~TAudioDecoder();
    TAudioDecoder(const TAudioDecoder&) = delete;
    TAudioDecoder& operator=(const TAudioDecoder&) = delete;

    // 0 when the file holds decodable audio, else -1 (and the decoder stays closed).
    int Open(const std::string& fileName, TDecodePath path);
    void Close();
    bool IsOpen() const { return format_ != nullptr; }

    uint16_t Channels() const { return channels_; }
    uint32_t Frequency() const { return frequency_; }
    bool EightBit() const { return eightBit_; }
    uint32_t FrameBytes() const { return frameBytes_; }

    int64_t LengthBytes() const { return lengthFrames_ * frameBytes_; }
    int64_t PositionBytes() const { return position_; }
    // Moves to the sample frame holding the byte (aligned downwards, kept within the length).
    // 0, or -1 when the file cannot be read there.
    int SeekBytes(int64_t position);
    // Up to length bytes of PCM from the present position; fewer only at the end.
    size_t Read(uint8_t* buffer, size_t length);

private:
    int OpenCodec();
    int64_t CountLengthFrames();
    int64_t ScanPacketFrames();
    int SeekFrame(int64_t target, int64_t preroll);
    // Decodes the next frame into pending_; false at the end of the stream.
    bool DecodeNext();
    int Convert();
    // The decoded frame's first sample frame by its stamp; -1 when it has none.
    int64_t FrameStart() const;
    void Discard(int64_t bytes);
    int64_t PendingFrames() const;

    AVFormatContext* format_ = nullptr;
    AVCodecContext* codec_ = nullptr;
    AVFrame* frame_ = nullptr;
    AVPacket* packet_ = nullptr;
    SwrContext* resampler_ = nullptr;
    int streamIndex_ = -1;
    TDecodePath path_ = TDecodePath::General;

    uint16_t channels_ = 0;
    uint32_t frequency_ = 0;
    bool eightBit_ = false;
    uint32_t frameBytes_ = 0;
    int64_t lengthFrames_ = 0;

    int64_t position_ = 0;           // bytes handed out or skipped
    std::vector<uint8_t> pending_;   // the frame being handed out
    int64_t pendingStart_ = -1;      // its first sample frame by its stamp; -1 unknown
    size_t pendingOffset_ = 0;
    bool draining_ = false;
    bool ended_ = false;
};

}  // namespace kv
