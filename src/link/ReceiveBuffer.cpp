#include "link/ReceiveBuffer.h"

#include "link/FrameCheck.h"

#include <algorithm>
#include <cstring>

namespace kv {

void TReceiveBuffer::Commit(int count, int converter)
{
    count = std::clamp(count, 0, FreeSpace());
    std::fill_n(converters_.begin() + length_, count, converter);
    length_ += count;
}

int TReceiveBuffer::Append(const uint8_t* bytes, int count, int converter)
{
    const int taken = std::clamp(count, 0, FreeSpace());
    std::memcpy(End(), bytes, static_cast<size_t>(taken));
    Commit(taken, converter);
    return taken;
}

int TReceiveBuffer::Parse(TReceivedFrame* batch, int capacity)
{
    int frames = 0;
    int head = 0;  // bytes before head are consumed; moved out once at the end
    while (length_ - head >= kFrameSize && frames < capacity) {
        const int lastStart = length_ - kFrameSize;
        int p = head;
        for (; p <= lastStart; ++p) {
            const uint8_t code = bytes_[static_cast<size_t>(p)];
            if (code != 0 && code != 255 &&
                FrameCheck(&bytes_[static_cast<size_t>(p)], 6) == bytes_[static_cast<size_t>(p) + 6])
                break;
        }
        if (p > lastStart) {
            head = lastStart + 1;
            break;
        }
        TReceivedFrame& frame = batch[frames++];
        std::copy_n(bytes_.begin() + p, 6, frame.record.begin());
        frame.converter = converters_[static_cast<size_t>(p)];
        head = p + kFrameSize;
    }
    if (head > 0) {
        length_ -= head;
        std::memmove(bytes_.data(), bytes_.data() + head, static_cast<size_t>(length_));
        std::memmove(converters_.data(), converters_.data() + head,
                     static_cast<size_t>(length_) * sizeof(int));
    }
    return frames;
}

}  // namespace kv
