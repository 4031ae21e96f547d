#include "audio/PulseCapture.h"

#include "support/platform/Platform.h"

#include <pulse/error.h>
#include <pulse/thread-mainloop.h>
#include <pulse/context.h>
#include <pulse/stream.h>

namespace kv {

namespace {

void Wake(void* loop)
{
    pa_threaded_mainloop_signal(static_cast<pa_threaded_mainloop*>(loop), 0);
}

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
    loop_ = pa_threaded_mainloop_new();
    if (!loop_ || pa_threaded_mainloop_start(loop_) < 0) {
        error = pa_strerror(PA_ERR_INTERNAL);
        Stop();
        return false;
    }
    pa_threaded_mainloop_lock(loop_);
    const bool opened = Open(error);
    pa_threaded_mainloop_unlock(loop_);
    if (!opened)
        Stop();
    return opened;
}

bool TPulseCapture::Open(std::string& error)
{
    context_ = pa_context_new(pa_threaded_mainloop_get_api(loop_), "Korvane");
    if (!context_) {
        error = pa_strerror(PA_ERR_INTERNAL);
        return false;
    }
    pa_context_set_state_callback(
        context_, [](pa_context*, void* loop) { Wake(loop); }, loop_);
    if (pa_context_connect(context_, nullptr, PA_CONTEXT_NOFLAGS, nullptr) < 0) {
        error = pa_strerror(pa_context_errno(context_));
        return false;
    }
    for (pa_context_state_t state; (state = pa_context_get_state(context_)) != PA_CONTEXT_READY;) {
        if (!PA_CONTEXT_IS_GOOD(state)) {
            error = pa_strerror(pa_context_errno(context_));
            return false;
        }
        pa_threaded_mainloop_wait(loop_);
    }
    pa_sample_spec sample{};
    sample.format = PA_SAMPLE_FLOAT32NE;
    sample.rate = static_cast<uint32_t>(sampleRate_);
    sample.channels = 1;
    stream_ = pa_stream_new(context_, "timecode", &sample, nullptr);
    if (!stream_) {
        error = pa_strerror(pa_context_errno(context_));
        return false;
    }
    pa_stream_set_state_callback(
        stream_, [](pa_stream*, void* loop) { Wake(loop); }, loop_);
    pa_stream_set_read_callback(
        stream_, [](pa_stream*, size_t, void* self) { static_cast<TPulseCapture*>(self)->Read(); },
        this);
    pa_buffer_attr buffer{};
    buffer.maxlength = static_cast<uint32_t>(-1);
    buffer.tlength = static_cast<uint32_t>(-1);
    buffer.prebuf = static_cast<uint32_t>(-1);
    buffer.minreq = static_cast<uint32_t>(-1);
    // The default fragment is about 2 s: the timecode would come in that late.
    buffer.fragsize = static_cast<uint32_t>(pa_usec_to_bytes(kBlockMs * 1000, &sample));
    const auto flags = static_cast<pa_stream_flags_t>(
        PA_STREAM_INTERPOLATE_TIMING | PA_STREAM_AUTO_TIMING_UPDATE | PA_STREAM_ADJUST_LATENCY);
    if (pa_stream_connect_record(stream_, source_.empty() ? nullptr : source_.c_str(), &buffer,
                                 flags) < 0) {
        error = pa_strerror(pa_context_errno(context_));
        return false;
    }
    for (pa_stream_state_t state; (state = pa_stream_get_state(stream_)) != PA_STREAM_READY;) {
        if (!PA_STREAM_IS_GOOD(state)) {
            error = pa_strerror(pa_context_errno(context_));
            return false;
        }
        pa_threaded_mainloop_wait(loop_);
    }
    return true;
}

void TPulseCapture::Stop()
{
    if (!loop_)
        return;
    pa_threaded_mainloop_lock(loop_);
    if (stream_) {
        pa_stream_set_read_callback(stream_, nullptr, nullptr);
        pa_stream_disconnect(stream_);
        pa_stream_unref(stream_);
    }
    if (context_) {
        pa_context_disconnect(context_);
        pa_context_unref(context_);
    }
    stream_ = nullptr;
    context_ = nullptr;
    pa_threaded_mainloop_unlock(loop_);
    pa_threaded_mainloop_stop(loop_);
    pa_threaded_mainloop_free(loop_);
    loop_ = nullptr;
    pending_.clear();
    dating_ = {};
}

void TPulseCapture::Read()
{
    const auto block = static_cast<size_t>(sampleRate_ * kBlockMs / 1000);
    const void* data = nullptr;
    size_t bytes = 0;
    while (pa_stream_peek(stream_, &data, &bytes) == 0 && bytes > 0) {
        const uint32_t now = Platform().TickCount();
        const size_t count = bytes / sizeof(float);
        // A hole the server left keeps its place, silent.
        const auto* samples = static_cast<const float*>(data);
        if (samples)
            pending_.insert(pending_.end(), samples, samples + count);
        else
            pending_.resize(pending_.size() + count, 0.0f);
        pa_stream_drop(stream_);
        // Read after the drop: the latency of the sample after what came in.
        pa_usec_t usec = 0;
        int negative = 0;
        const bool known = pa_stream_get_latency(stream_, &usec, &negative) == 0;
        const auto latency = static_cast<int64_t>(usec) * (negative ? -1 : 1);
        size_t done = 0;
        for (; pending_.size() - done >= block; done += block) {
            if (known) {
                const auto after = static_cast<int64_t>(pending_.size() - done - block);
                dating_.Read(latency + after * 1000000 / sampleRate_);
            }
            // Before the server's first timing there is nothing to date the samples by.
            if (const std::optional<uint32_t> end = dating_.EndTick(now))
                sink_(pending_.data() + done, block, *end);
        }
        pending_.erase(pending_.begin(), pending_.begin() + static_cast<ptrdiff_t>(done));
    }
}

}  // namespace kv
