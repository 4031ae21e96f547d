#include "audio/DecodeStream.h"

namespace kv {

TDecodeStream::TDecodeStream(std::unique_ptr<TAudioDecoder> decoder)
    : TAudioStream(*decoder), decoder_(std::move(decoder))
{
}

int64_t TDecodeStream::PositionBytes()
{
    return decoder_->PositionBytes();
}

void TDecodeStream::SetPositionBytes(int64_t position)
{
    decoder_->SeekBytes(position);
}

int64_t TDecodeStream::GetData(uint8_t* buffer, size_t length)
{
    return static_cast<int64_t>(decoder_->Read(buffer, length));
}

}  // namespace kv
