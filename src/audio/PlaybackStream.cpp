#include "audio/PlaybackStream.h"

#include <QAudioDevice>
#include <QAudioFormat>
#include <QAudioSink>
#include <QMediaDevices>
#include <QMetaObject>
#include <QTimer>

#include <algorithm>

namespace kv {

namespace {

constexpr int kFeedIntervalMs = 10;
constexpr size_t kChunkBytes = 16384;

}  // namespace

TPlaybackStream::TPlaybackStream(std::unique_ptr<TAudioDecoder> decoder)
    : TAudioStream(*decoder), decoder_(std::move(decoder))
{
    context_ = new QObject;
    context_->moveToThread(&thread_);
    thread_.start(QThread::HighPriority);
    const QAudioDevice device = QMediaDevices::defaultAudioOutput();
    OnFeeder([this, &device] { CreateSink(device); });
}

TPlaybackStream::~TPlaybackStream()
{
    OnFeeder([this] { DestroySink(); });
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
    OnFeeder([this, &position] { position = playing_ ? PlayedBytes() : position_; });
    return position;
}

void TPlaybackStream::SetPositionBytes(int64_t position)
{
    OnFeeder([this, position] {
        const int64_t frame = decoder_->FrameBytes();
        position_ = std::clamp<int64_t>(position - position % frame, 0, LengthBytes());
        if (playing_) {
            StopSink();
            StartSink();
        }
    });
}

void TPlaybackStream::Play()
{
    OnFeeder([this] {
        if (!playing_)
            StartSink();
    });
}

void TPlaybackStream::Stop()
{
    OnFeeder([this] {
        if (playing_) {
            position_ = PlayedBytes();
            StopSink();
        }
    });
}

bool TPlaybackStream::IsActive()
{
    bool active = false;
    OnFeeder([this, &active] { active = playing_; });
    return active;
}

void TPlaybackStream::CreateSink(const QAudioDevice& device)
{
    if (device.isNull())
        return;
    QAudioFormat format;
    format.setSampleRate(static_cast<int>(Frequency()));
    format.setChannelCount(Channels());
    format.setSampleFormat(EightBit() ? QAudioFormat::UInt8 : QAudioFormat::Int16);
    sink_ = new QAudioSink(device, format, context_);
    timer_ = new QTimer(context_);
    timer_->setInterval(kFeedIntervalMs);
    timer_->setTimerType(Qt::PreciseTimer);
    QObject::connect(timer_, &QTimer::timeout, context_, [this] { Feed(); });
}

void TPlaybackStream::DestroySink()
{
    if (playing_)
        StopSink();
    delete timer_;
    delete sink_;
    timer_ = nullptr;
    sink_ = nullptr;
}

void TPlaybackStream::StartSink()
{
    if (sink_ == nullptr || decoder_->SeekBytes(position_) < 0)
        return;
    chunk_.clear();
    chunkSent_ = 0;
    device_ = sink_->start();
    if (device_ == nullptr || sink_->error() == QAudio::OpenError) {
        sink_->stop();
        device_ = nullptr;
        return;
    }
    startByte_ = decoder_->PositionBytes();
    writtenEnd_ = startByte_;
    playing_ = true;
    timer_->start();
    Feed();
}

void TPlaybackStream::StopSink()
{
    timer_->stop();
    sink_->stop();
    device_ = nullptr;
    chunk_.clear();
    chunkSent_ = 0;
    playing_ = false;
}

void TPlaybackStream::Feed()
{
    if (!playing_)
        return;
    const QAudio::Error error = sink_->error();
    if (error == QAudio::OpenError || error == QAudio::IOError || error == QAudio::FatalError) {
        position_ = PlayedBytes();
        StopSink();
        return;
    }
    const int64_t frame = decoder_->FrameBytes();
    for (;;) {
        if (chunkSent_ == chunk_.size()) {
            const int64_t free = sink_->bytesFree();
            const int64_t wanted = std::min<int64_t>(free, kChunkBytes) / frame * frame;
            if (wanted <= 0)
                break;
            chunk_.resize(static_cast<size_t>(wanted));
            chunk_.resize(decoder_->Read(chunk_.data(), chunk_.size()));
            chunkSent_ = 0;
            if (chunk_.empty())
                break;
        }
        const qint64 written = device_->write(reinterpret_cast<const char*>(chunk_.data())
                                                  + chunkSent_,
                                              static_cast<qint64>(chunk_.size() - chunkSent_));
        if (written <= 0)
            break;
        chunkSent_ += static_cast<size_t>(written);
        writtenEnd_ += written;
    }
    const bool allGiven = chunkSent_ == chunk_.size() && writtenEnd_ >= LengthBytes();
    if (allGiven && (PlayedBytes() >= writtenEnd_ || sink_->state() == QAudio::IdleState)) {
        position_ = LengthBytes();
        StopSink();
    }
}

int64_t TPlaybackStream::PlayedBytes() const
{
    const int64_t frame = decoder_->FrameBytes();
    const int64_t processed = sink_->processedUSecs() * Frequency() / 1000000 * frame;
    return std::min(startByte_ + processed, writtenEnd_);
}

}  // namespace kv
