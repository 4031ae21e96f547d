// libFuzzer target: any byte stream from the converters, cut into frames by the receive scan.
#include "FuzzRequire.h"

#include "link/FrameCheck.h"
#include "link/ReceiveBuffer.h"

#include <cstdint>
#include <memory>

using kv::fuzz::Require;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    auto buffer = std::make_unique<kv::TReceiveBuffer>();
    kv::TReceivedFrame batch[8];
    // The first byte picks the read sizes, so frames split across reads are covered.
    const size_t step = size > 0 ? data[0] % 16 + 1 : 1;
    for (size_t at = size > 0 ? 1 : 0; at < size; at += step) {
        const int count = static_cast<int>(std::min(step, size - at));
        const int converter = static_cast<int>(at % 3);
        Require(buffer->Append(data + at, count, converter) <= count);
        for (int parsed; (parsed = buffer->Parse(batch, 8)) > 0;) {
            Require(parsed <= 8);
            for (int i = 0; i < parsed; ++i) {
                const kv::TFrameRecord& record = batch[i].record;
                Require(record[0] != 0 && record[0] != 255);
                Require(batch[i].converter >= 0 && batch[i].converter < 3);
            }
        }
        Require(buffer->Length() >= 0 && buffer->Length() < 7);
    }
    return 0;
}
