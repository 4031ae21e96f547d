#include "audio/BassFile.h"

#include "audio/AudioLibrary.h"
#include "audio/AudioPositions.h"

#include <algorithm>
#include <cctype>
#include <filesystem>

namespace kv {

TDecodePath DecodePathOf(const std::string& fileName)
{
    std::string extension = std::filesystem::path(fileName).extension().string();
    std::transform(extension.begin(), extension.end(), extension.begin(),
                   [](unsigned char c) { return static_cast<char>(std::toupper(c)); });
    return extension == ".WMA" ? TDecodePath::Wma : TDecodePath::General;
}

TBassFile::TBassFile()
{
    AcquireAudioLibrary();
}

TBassFile::~TBassFile()
{
    stream.reset();
    ReleaseAudioLibrary();
}

void TBassFile::SetFileName(const std::string& name)
{
    fileName = name;
}

void TBassFile::Open()
{
    OpenStream(false);
}

void TBassFile::OpenStream(bool playable)
{
    Close();
    stream = CreateAudioStream(fileName, DecodePathOf(fileName), playable);
    if (!stream)
        return;
    channels = stream->Channels();
    bits = stream->EightBit() ? 8 : 16;
    frequency = stream->Frequency();
    length = stream->LengthBytes();
    bytesPerSampleFrame = static_cast<uint16_t>(bits * channels / 8);
    bytesPerSecond = bytesPerSampleFrame * frequency;
    duration = DurationMs(length, bytesPerSecond);
    loaded = true;
}

void TBassFile::Close()
{
    stream.reset();
    loaded = false;
}

int64_t TBassFile::LengthBytes()
{
    return length;
}

int64_t TBassFile::PositionBytes()
{
    return stream ? stream->PositionBytes() : 0;
}

bool TBassFile::AtEnd()
{
    return PositionBytes() >= LengthBytes();
}

void TBassFile::SetPositionBytes(int64_t position)
{
    if (stream)
        stream->SetPositionBytes(position);
}

int64_t TBassFile::ReadData(uint8_t* buffer, size_t length)
{
    return stream ? stream->GetData(buffer, length) : -1;
}

int TBassFile::ReadByte()
{
    uint8_t byte = 0;
    return ReadData(&byte, 1) == 1 ? byte : -1;
}

}  // namespace kv
