#include "rigs/DeskPlayback.h"

#include <pulse/simple.h>

#include <algorithm>

namespace kvtest {

TDeskPlayback::TDeskPlayback(const TLtcSignal& signal) : signal_(signal)
{
    pa_sample_spec sample{PA_SAMPLE_FLOAT32NE, TLtcSignal::kRate, 1};
    stream_ = pa_simple_new(nullptr, "Korvane test", PA_STREAM_PLAYBACK, "nullsink", "desk",
                            &sample, nullptr, nullptr, nullptr);
    if (stream_)
        thread_ = std::thread([this] { Run(); });
}

TDeskPlayback::~TDeskPlayback()
{
    stop_ = true;
    if (thread_.joinable())
        thread_.join();
    if (stream_)
        pa_simple_free(stream_);
}

void TDeskPlayback::Run()
{
    constexpr int64_t kBlock = TLtcSignal::kRate / 100;
    while (!stop_ && written_ < signal_.Samples()) {
        const int64_t count = std::min(kBlock, signal_.Samples() - written_);
        if (pa_simple_write(stream_, signal_.Data().data() + written_,
                            static_cast<size_t>(count) * sizeof(float), nullptr) < 0)
            break;
        written_ += count;
    }
    pa_simple_drain(stream_, nullptr);
    done_ = true;
}

}  // namespace kvtest
