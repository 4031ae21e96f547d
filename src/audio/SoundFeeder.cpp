#include "audio/SoundFeeder.h"

#include <unistd.h>

#include <algorithm>
#include <chrono>

namespace kv {

namespace {

constexpr auto kFeedInterval = std::chrono::milliseconds(10);
constexpr int64_t kChunkUs = 20000;
// How fast readings may bring the heard moment forward: as a sound card's clock 1000 ppm
// faster than the system's, a few times what one is off. A latency read short under load
// (2 % once, 200 µs a feed) brought shots up to 5 ms before their sound.
constexpr int64_t kFastestOutputShare = 1000;

TSoundFormat FormatOf(const TAudioDecoder& decoder)
{
    return {decoder.Frequency(), decoder.Channels(), decoder.EightBit()};
}

}  // namespace

TSoundFeeder::TSoundFeeder(std::unique_ptr<TAudioDecoder> decoder,
                           std::shared_ptr<TSoundServer> server)
    : decoder_(std::move(decoder)),
      server_(std::move(server)),
      format_(FormatOf(*decoder_)),
      frameBytes_(decoder_->FrameBytes()),
      bytesPerSecond_(decoder_->FrameBytes() * int64_t{decoder_->Frequency()}),
      length_(decoder_->LengthBytes())
{
}

void TSoundFeeder::Run()
{
    threadId_ = static_cast<int>(gettid());
    Probe();
    for (;;) {
        uint64_t ask = 0;
        bool play = false;
        int64_t from = 0;
        {
            std::unique_lock lock(mutex_);
            wake_.wait_for(lock, kFeedInterval, [this] { return quit_ || asked_ != applied_; });
            if (quit_)
                break;
            ask = asked_;
            play = playing_;
            from = position_;
        }
        if (ask != applied_) {
            applied_ = ask;
            CloseOutput();
            if (play)
                StartOutput(ask, from);
        } else if (output_) {
            Feed(ask);
        }
    }
    CloseOutput();
    decoder_.reset();
    threadId_ = 0;  // the id may be another thread's from now on
    std::lock_guard lock(mutex_);
    ended_ = true;
    answered_.notify_all();
}

void TSoundFeeder::Probe()
{
    BeginCall();
    const bool output = server_->Open(format_, 2 * kLeadUs, {{}, SoundtrackSide(), "soundtrack"}) != nullptr;
    EndCall();
    std::lock_guard lock(mutex_);
    probe_ = output ? TProbe::Output : TProbe::NoOutput;
    answered_.notify_all();
}

void TSoundFeeder::StartOutput(uint64_t ask, int64_t from)
{
    if (probe_ == TProbe::NoOutput || decoder_->SeekBytes(from) < 0) {
        Finish(ask, from);
        return;
    }
    BeginCall();
    // Room for twice the lead, so that a write never waits for room.
    output_ = server_->Open(format_, 2 * kLeadUs, {{}, SoundtrackSide(), "soundtrack"});
    EndCall();
    if (!output_) {
        Finish(ask, from);
        return;
    }
    {
        std::lock_guard lock(mutex_);
        startByte_ = writtenEnd_ = decoder_->PositionBytes();
    }
    decodedAll_ = false;
    if (!FillQueue()) {
        CloseOutput();
        Finish(ask, startByte_);
        return;
    }
    const int64_t heardStart = HeardStartNow();
    heardReadUs_ = server_->NowUs();
    std::lock_guard lock(mutex_);
    heardStartUs_ = heardStart;
    started_ = ask;
    answered_.notify_all();
}

void TSoundFeeder::CloseOutput()
{
    if (!output_)
        return;
    {
        std::lock_guard lock(mutex_);
        started_ = 0;
    }
    BeginCall();
    output_->Flush();
    output_.reset();
    EndCall();
}

void TSoundFeeder::Feed(uint64_t ask)
{
    if (!FillQueue()) {
        const int64_t position = HeardBytesAt(server_->NowUs());
        CloseOutput();
        Finish(ask, position);
        return;
    }
    // A later heard moment is taken at once: the server ran dry, or the output runs slow.
    // Once all is given the server runs dry on purpose, and its latency no longer says
    // where the sound is.
    if (!decodedAll_) {
        const int64_t readAt = server_->NowUs();
        const int64_t catchUp = std::max<int64_t>(readAt - heardReadUs_, 0) / kFastestOutputShare;
        const int64_t heardStart = std::max(HeardStartNow(), heardStartUs_ - catchUp);
        heardReadUs_ = readAt;
        std::lock_guard lock(mutex_);
        heardStartUs_ = heardStart;
    }
    if (decodedAll_ && HeardBytesAt(server_->NowUs()) >= writtenEnd_) {
        CloseOutput();
        Finish(ask, length_);
    }
}

bool TSoundFeeder::FillQueue()
{
    BeginCall();
    int64_t queuedUs = output_->LatencyUs();
    EndCall();
    if (queuedUs < 0)
        return false;
    while (!decodedAll_ && queuedUs < kLeadUs) {
        chunk_.resize(static_cast<size_t>(kChunkUs * bytesPerSecond_ / 1000000 / frameBytes_ * frameBytes_));
        chunk_.resize(decoder_->Read(chunk_.data(), chunk_.size()));
        if (chunk_.empty()) {
            decodedAll_ = true;
            break;
        }
        BeginCall();
        const bool written = output_->Write(chunk_.data(), chunk_.size());
        EndCall();
        if (!written)
            return false;
        const auto size = static_cast<int64_t>(chunk_.size());
        {
            std::lock_guard lock(mutex_);
            writtenEnd_ += size;
        }
        queuedUs += BytesToUs(size);
    }
    return true;
}

int64_t TSoundFeeder::HeardStartNow()
{
    BeginCall();
    const int64_t latency = std::max<int64_t>(output_->LatencyUs(), 0);
    EndCall();
    return server_->NowUs() + latency - BytesToUs(writtenEnd_ - startByte_);
}

void TSoundFeeder::Finish(uint64_t ask, int64_t position)
{
    std::lock_guard lock(mutex_);
    // Unless the main thread asked for something else meanwhile.
    if (asked_ != ask)
        return;
    playing_ = false;
    position_ = position;
    answered_.notify_all();
}

void TSoundFeeder::BeginCall()
{
    const int64_t now = server_->NowUs();
    std::lock_guard lock(mutex_);
    callSinceUs_ = now;
}

void TSoundFeeder::EndCall()
{
    std::lock_guard lock(mutex_);
    callSinceUs_ = -1;
}

int64_t TSoundFeeder::HeardBytesAt(int64_t nowUs) const
{
    const int64_t heardUs = std::max<int64_t>(nowUs - heardStartUs_, 0);
    const int64_t heard = heardUs * format_.rate / 1000000 * frameBytes_;
    return std::min(startByte_ + heard, writtenEnd_);
}

bool TSoundFeeder::HasOutput(int waitMs)
{
    std::unique_lock lock(mutex_);
    answered_.wait_for(lock, std::chrono::milliseconds(waitMs),
                       [this] { return probe_ != TProbe::Unknown; });
    return probe_ != TProbe::NoOutput;
}

int64_t TSoundFeeder::PositionBytes()
{
    const int64_t now = server_->NowUs();
    std::lock_guard lock(mutex_);
    // A play the server has not taken yet starts where it was asked to.
    return playing_ && PlayStarted() ? HeardBytesAt(now) : position_;
}

void TSoundFeeder::SetPositionBytes(int64_t position)
{
    std::lock_guard lock(mutex_);
    position_ = std::clamp<int64_t>(position - position % frameBytes_, 0, length_);
    if (playing_) {
        ++asked_;
        wake_.notify_all();
    }
}

void TSoundFeeder::Play(int waitMs)
{
    std::unique_lock lock(mutex_);
    if (playing_)
        return;
    playing_ = true;
    const uint64_t ask = ++asked_;
    wake_.notify_all();
    answered_.wait_for(lock, std::chrono::milliseconds(waitMs),
                       [this, ask] { return started_ == ask || !playing_ || asked_ != ask; });
}

void TSoundFeeder::Stop()
{
    const int64_t now = server_->NowUs();
    std::lock_guard lock(mutex_);
    if (!playing_)
        return;
    if (PlayStarted())
        position_ = HeardBytesAt(now);
    playing_ = false;
    ++asked_;
    wake_.notify_all();
}

bool TSoundFeeder::IsActive()
{
    std::lock_guard lock(mutex_);
    return playing_;
}

int64_t TSoundFeeder::HeardDelayUs()
{
    const int64_t now = server_->NowUs();
    std::lock_guard lock(mutex_);
    if (!playing_)
        return 0;
    // Not taken by the server yet: not heard before it is, how much later nobody knows.
    if (!PlayStarted())
        return 1;
    return std::max<int64_t>(heardStartUs_ - now, 0);
}

bool TSoundFeeder::Stalled()
{
    const int64_t now = server_->NowUs();
    std::lock_guard lock(mutex_);
    return callSinceUs_ >= 0 && now - callSinceUs_ > kStallUs;
}

void TSoundFeeder::Quit()
{
    std::lock_guard lock(mutex_);
    quit_ = true;
    wake_.notify_all();
}

bool TSoundFeeder::WaitUntilEnded(int waitMs)
{
    std::unique_lock lock(mutex_);
    return answered_.wait_for(lock, std::chrono::milliseconds(waitMs), [this] { return ended_; });
}

}  // namespace kv
