#include "audio/PulseCapture.h"

#include "support/Platform.h"

#include <pulse/error.h>
#include <pulse/simple.h>

#include <algorithm>
#include <array>
#include <vector>

namespace kv {

namespace {

// Latency readings kept: the least of them is taken. A latency read too high would date the
// samples too early and put the timecode's clock ahead; one read too low only makes it late.
constexpr size_t kLatencyWindow = 50;

}  // namespace

TPulseCapture::TPulseCapture(std::string source, int sampleRate, TSink sink)
    : source_(std::move(source)), sampleRate_(sampleRate), sink_(std::move(sink))
{
}

TPulseCapture::~TPulseCapture()
{
    Stop();
}

bool TPulseCapture::Start(std::string& error)
{
    Stop();
    pa_sample_spec sample{};
    sample.format = PA_SAMPLE_FLOAT32NE;
    sample.rate = static_cast<uint32_t>(sampleRate_);
    sample.channels = 1;
    pa_buffer_attr buffer{};
    buffer.maxlength = static_cast<uint32_t>(-1);
    buffer.tlength = static_cast<uint32_t>(-1);
    buffer.prebuf = static_cast<uint32_t>(-1);
    buffer.minreq = static_cast<uint32_t>(-1);
    // The default fragment is about 2 s: the timecode would come in that late.
    buffer.fragsize = static_cast<uint32_t>(pa_usec_to_bytes(kBlockMs * 1000, &sample));
    int code = 0;
    stream_ = pa_simple_new(nullptr, "Korvane", PA_STREAM_RECORD,
                            source_.empty() ? nullptr : source_.c_str(), "timecode", &sample,
                            nullptr, &buffer, &code);
    if (!stream_) {
        error = pa_strerror(code);
        return false;
    }
    stop_ = false;
    thread_ = std::thread([this] { Run(); });
    return true;
}

void TPulseCapture::Stop()
{
    stop_ = true;
    if (thread_.joinable())
        thread_.join();
    if (stream_)
        pa_simple_free(stream_);
    stream_ = nullptr;
}

void TPulseCapture::Run()
{
    std::vector<float> block(static_cast<size_t>(sampleRate_ * kBlockMs / 1000));
    std::array<uint32_t, kLatencyWindow> latencies{};
    size_t readings = 0;
    while (!stop_) {
        if (pa_simple_read(stream_, block.data(), block.size() * sizeof(float), nullptr) < 0)
            break;
        const uint32_t now = Platform().TickCount();
        const pa_usec_t latency = pa_simple_get_latency(stream_, nullptr);
        if (latency != static_cast<pa_usec_t>(-1))
            latencies[readings++ % kLatencyWindow] = static_cast<uint32_t>(latency / 1000);
        const size_t kept = std::min(readings, kLatencyWindow);
        const uint32_t least =
            kept == 0 ? 0 : *std::min_element(latencies.begin(), latencies.begin() + kept);
        sink_(block.data(), block.size(), now - least);
    }
}

}  // namespace kv
