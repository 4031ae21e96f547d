#include "audio/SoundServer.h"

#include <pulse/simple.h>

#include <atomic>
#include <chrono>

namespace kv {

namespace {

class TPulseOutput : public TSoundOutput {
public:
    explicit TPulseOutput(pa_simple* stream) : stream_(stream) {}
    ~TPulseOutput() override { pa_simple_free(stream_); }

    int64_t LatencyUs() override
    {
        const pa_usec_t latency = pa_simple_get_latency(stream_, nullptr);
        return latency == static_cast<pa_usec_t>(-1) ? -1 : static_cast<int64_t>(latency);
    }
    bool Write(const uint8_t* data, size_t size) override
    {
        return pa_simple_write(stream_, data, size, nullptr) >= 0;
    }
    void Flush() override { pa_simple_flush(stream_, nullptr); }

private:
    pa_simple* stream_;
};

class TPulseServer : public TSoundServer {
public:
    std::unique_ptr<TSoundOutput> Open(const TSoundFormat& format, int64_t queueUs,
                                       const TSoundTarget& target) override
    {
        pa_sample_spec sample{};
        sample.format = format.eightBit ? PA_SAMPLE_U8 : PA_SAMPLE_S16LE;
        sample.rate = format.rate;
        sample.channels = static_cast<uint8_t>(format.channels);
        pa_buffer_attr buffer{};
        buffer.maxlength = static_cast<uint32_t>(-1);
        buffer.tlength = static_cast<uint32_t>(pa_usec_to_bytes(static_cast<pa_usec_t>(queueUs), &sample));
        // Playing starts with the first write: a play near the end of the file is shorter
        // than any larger threshold and would never start.
        buffer.prebuf = static_cast<uint32_t>(pa_frame_size(&sample));
        buffer.minreq = static_cast<uint32_t>(-1);
        buffer.fragsize = static_cast<uint32_t>(-1);
        // The server mixes the channels that share a position into that one alone.
        pa_channel_map side{};
        side.channels = sample.channels;
        for (uint8_t i = 0; i < sample.channels && i < PA_CHANNELS_MAX; ++i)
            side.map[i] = target.side == TSoundSide::Left ? PA_CHANNEL_POSITION_FRONT_LEFT
                                                          : PA_CHANNEL_POSITION_FRONT_RIGHT;
        pa_simple* stream = pa_simple_new(
            nullptr, "Korvane", PA_STREAM_PLAYBACK,
            target.sink.empty() ? nullptr : target.sink.c_str(), target.name.c_str(), &sample,
            target.side == TSoundSide::Both ? nullptr : &side, &buffer, nullptr);
        if (stream == nullptr)
            return nullptr;
        return std::make_unique<TPulseOutput>(stream);
    }
    int64_t NowUs() override
    {
        return std::chrono::duration_cast<std::chrono::microseconds>(
                   std::chrono::steady_clock::now().time_since_epoch())
            .count();
    }
};

std::atomic<TSoundSide> soundtrackSide{TSoundSide::Both};

}  // namespace

void SetSoundtrackSide(TSoundSide side)
{
    soundtrackSide = side;
}

TSoundSide SoundtrackSide()
{
    return soundtrackSide;
}

std::shared_ptr<TSoundServer> PulseSoundServer()
{
    static const auto server = std::make_shared<TPulseServer>();
    return server;
}

}  // namespace kv
