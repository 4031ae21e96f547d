#include "audio/AudioStream.h"

#include "audio/AudioLibrary.h"
#include "audio/DecodeStream.h"
#include "audio/PlaybackStream.h"

namespace kv {

namespace {

TPlaybackOutput& InstalledOutput()
{
    static TPlaybackOutput output;
    return output;
}

}  // namespace

void InstallPlaybackOutput(TPlaybackOutput output)
{
    InstalledOutput() = std::move(output);
}

TAudioStream::TAudioStream(const TAudioDecoder& opened)
    : channels_(opened.Channels()),
      frequency_(opened.Frequency()),
      eightBit_(opened.EightBit()),
      length_(opened.LengthBytes())
{
}

std::unique_ptr<TAudioStream> CreateAudioStream(const std::string& fileName, TDecodePath path,
                                                bool playable)
{
    const TPlaybackOutput& output = InstalledOutput();
    if (!output && !AudioAvailable())
        return nullptr;
    auto decoder = std::make_unique<TAudioDecoder>();
    if (decoder->Open(fileName, path) < 0)
        return nullptr;
    if (!playable)
        return std::make_unique<TDecodeStream>(std::move(decoder));
    if (output)
        return output(std::move(decoder));
    auto stream = std::make_unique<TPlaybackStream>(std::move(decoder), PulseSoundServer());
    if (!stream->HasOutput())
        return nullptr;
    return stream;
}

}  // namespace kv
