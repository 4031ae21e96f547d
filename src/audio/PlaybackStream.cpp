#include "audio/PlaybackStream.h"

#include <QMetaObject>
#include <QTimer>
#include <pulse/simple.h>

#include <algorithm>

namespace kv {

namespace {

constexpr int kFeedIntervalMs = 10;
// Sound queued at the server ahead of the speakers: enough to ride out a late feed.
constexpr int64_t kLeadUs = 300000;
constexpr int64_t kChunkUs = 20000;
// How far a feed may bring the heard moment forward: the output's clock runs a few hundred
// ppm off the system's, and one odd latency reading must not jump the show ahead.
constexpr auto kCatchUpPerFeed = std::chrono::microseconds(200);

int64_t BytesToUs(int64_t bytes, int64_t bytesPerSecond)
{
    return bytes * 1000000 / bytesPerSecond;
}

// How long the last sample written takes to be heard; -1 when the server does not say.
int64_t LatencyUs(pa_simple* output)
{
    const pa_usec_t latency = pa_simple_get_latency(output, nullptr);
    return latency == static_cast<pa_usec_t>(-1) ? -1 : static_cast<int64_t>(latency);
}

}  // namespace

TPlaybackStream::TPlaybackStream(std::unique_ptr<TAudioDecoder> decoder)
    : TAudioStream(*decoder), decoder_(std::move(decoder))
{
    context_ = new QObject;
    context_->moveToThread(&thread_);
    thread_.start(QThread::HighPriority);
    OnFeeder([this] {
        pa_simple* probe = OpenOutput();
        hasOutput_ = probe != nullptr;
        if (probe != nullptr)
            pa_simple_free(probe);
        CreateTimer();
    });
}

TPlaybackStream::~TPlaybackStream()
{
    OnFeeder([this] {
        if (playing_)
            StopOutput();
        delete timer_;
        timer_ = nullptr;
    });
    thread_.quit();
    thread_.wait();
    delete context_;
}

void TPlaybackStream::OnFeeder(const std::function<void()>& call)
{
    QMetaObject::invokeMethod(context_, [&call] { call(); }, Qt::BlockingQueuedConnection);
}

int64_t TPlaybackStream::PositionBytes()
{
    int64_t position = 0;
    OnFeeder([this, &position] { position = playing_ ? HeardBytes() : position_; });
    return position;
}

void TPlaybackStream::SetPositionBytes(int64_t position)
{
    OnFeeder([this, position] {
        const int64_t frame = decoder_->FrameBytes();
        position_ = std::clamp<int64_t>(position - position % frame, 0, LengthBytes());
        if (playing_) {
            StopOutput();
            StartOutput();
        }
    });
}

void TPlaybackStream::Play()
{
    OnFeeder([this] {
        if (!playing_)
            StartOutput();
    });
}

void TPlaybackStream::Stop()
{
    OnFeeder([this] {
        if (playing_) {
            position_ = HeardBytes();
            StopOutput();
        }
    });
}

bool TPlaybackStream::IsActive()
{
    bool active = false;
    OnFeeder([this, &active] { active = playing_; });
    return active;
}

int64_t TPlaybackStream::HeardDelayUs()
{
    int64_t delay = 0;
    OnFeeder([this, &delay] {
        if (playing_)
            delay = std::max<int64_t>(0, std::chrono::duration_cast<std::chrono::microseconds>(
                                             heardStart_ - TClock::now())
                                             .count());
    });
    return delay;
}

pa_simple* TPlaybackStream::OpenOutput() const
{
    pa_sample_spec sample{};
    sample.format = EightBit() ? PA_SAMPLE_U8 : PA_SAMPLE_S16LE;
    sample.rate = Frequency();
    sample.channels = static_cast<uint8_t>(Channels());
    pa_buffer_attr buffer{};
    buffer.maxlength = static_cast<uint32_t>(-1);
    // Room for twice the lead, so that a write never blocks the feeding thread.
    buffer.tlength = static_cast<uint32_t>(pa_usec_to_bytes(2 * kLeadUs, &sample));
    // Playing starts with the first write: a play near the end of the file is shorter
    // than any larger threshold and would never start.
    buffer.prebuf = static_cast<uint32_t>(pa_frame_size(&sample));
    buffer.minreq = static_cast<uint32_t>(-1);
    buffer.fragsize = static_cast<uint32_t>(-1);
    return pa_simple_new(nullptr, "Korvane", PA_STREAM_PLAYBACK, nullptr, "soundtrack", &sample,
                         nullptr, &buffer, nullptr);
}

void TPlaybackStream::CreateTimer()
{
    timer_ = new QTimer(context_);
    timer_->setInterval(kFeedIntervalMs);
    timer_->setTimerType(Qt::PreciseTimer);
    QObject::connect(timer_, &QTimer::timeout, context_, [this] { Feed(); });
}

void TPlaybackStream::StartOutput()
{
    if (!hasOutput_ || decoder_->SeekBytes(position_) < 0)
        return;
    output_ = OpenOutput();
    if (output_ == nullptr)
        return;
    startByte_ = decoder_->PositionBytes();
    writtenEnd_ = startByte_;
    decodedAll_ = false;
    playing_ = true;
    if (!FillQueue()) {
        StopOutput();
        return;
    }
    heardStart_ = HeardStartNow();
    timer_->start();
}

void TPlaybackStream::StopOutput()
{
    timer_->stop();
    pa_simple_flush(output_, nullptr);
    pa_simple_free(output_);
    output_ = nullptr;
    playing_ = false;
}

void TPlaybackStream::Feed()
{
    if (!playing_)
        return;
    if (!FillQueue()) {
        position_ = HeardBytes();
        StopOutput();
        return;
    }
    // A later heard moment is taken at once: the server ran dry, or the output runs slow.
    // Once all is given the server runs dry on purpose, and its latency no longer says
    // where the sound is.
    if (!decodedAll_)
        heardStart_ = std::max(HeardStartNow(), heardStart_ - kCatchUpPerFeed);
    if (decodedAll_ && HeardBytes() >= writtenEnd_) {
        position_ = LengthBytes();
        StopOutput();
    }
}

bool TPlaybackStream::FillQueue()
{
    const int64_t frame = decoder_->FrameBytes();
    const int64_t bytesPerSecond = frame * Frequency();
    int64_t queuedUs = LatencyUs(output_);
    if (queuedUs < 0)
        return false;
    while (!decodedAll_ && queuedUs < kLeadUs) {
        chunk_.resize(static_cast<size_t>(kChunkUs * bytesPerSecond / 1000000 / frame * frame));
        chunk_.resize(decoder_->Read(chunk_.data(), chunk_.size()));
        if (chunk_.empty()) {
            decodedAll_ = true;
            break;
        }
        if (pa_simple_write(output_, chunk_.data(), chunk_.size(), nullptr) < 0)
            return false;
        writtenEnd_ += static_cast<int64_t>(chunk_.size());
        queuedUs += BytesToUs(static_cast<int64_t>(chunk_.size()), bytesPerSecond);
    }
    return true;
}

TPlaybackStream::TClock::time_point TPlaybackStream::HeardStartNow()
{
    const auto latency = std::chrono::microseconds(std::max<int64_t>(LatencyUs(output_), 0));
    const int64_t bytesPerSecond = decoder_->FrameBytes() * Frequency();
    const auto written = std::chrono::microseconds(BytesToUs(writtenEnd_ - startByte_, bytesPerSecond));
    return TClock::now() + latency - written;
}

int64_t TPlaybackStream::HeardBytes() const
{
    const int64_t frame = decoder_->FrameBytes();
    const int64_t heardUs =
        std::chrono::duration_cast<std::chrono::microseconds>(TClock::now() - heardStart_).count();
    const int64_t heard = std::max<int64_t>(heardUs, 0) * Frequency() / 1000000 * frame;
    return std::min(startByte_ + heard, writtenEnd_);
}

}  // namespace kv
