#include "show/timecode/TimecodeOutput.h"

#include "support/platform/Platform.h"

#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <mutex>
#include <thread>
#include <vector>

namespace kv {

namespace {

// The longest Stop waits for the thread; one caught in a server call is left behind.
constexpr auto kEndWait = std::chrono::milliseconds(20);
constexpr auto kWriteInterval = std::chrono::milliseconds(5);

}  // namespace

struct TTimecodeOutput::TShared {
    TShared(const TTimecodeOutputSettings& settings)
        : generator(settings.rate, settings.zero, kSampleRate)
    {
    }

    void Run(std::shared_ptr<TSoundServer> server, TSoundTarget target);
    bool Quitting()
    {
        std::unique_lock lock(mutex);
        return wake.wait_for(lock, kWriteInterval, [this] { return quit; });
    }

    TTimecodeGenerator generator;
    std::mutex mutex;
    std::condition_variable wake;
    std::condition_variable ended;
    bool quit = false;
    bool done = false;
    std::atomic<bool> failed{false};
    std::atomic<bool> sent{false};
    std::atomic<int> thread{0};
};

void TTimecodeOutput::TShared::Run(std::shared_ptr<TSoundServer> server, TSoundTarget target)
{
    thread = static_cast<int>(gettid());
    // Room for twice the lead, so that a write never waits for room.
    std::unique_ptr<TSoundOutput> output =
        server->Open({kSampleRate, 1, false}, 2 * kLeadUs, target);
    failed = !output;
    while (output && !failed) {
        {
            const std::lock_guard lock(mutex);
            if (quit)
                break;
        }
        bool writeFailed = false;
        if (SendTimecodeFrame(*output, generator, writeFailed))
            sent = true;
        else if (!writeFailed && Quitting())
            break;
        failed = writeFailed;
    }
    output.reset();
    const std::lock_guard lock(mutex);
    done = true;
    ended.notify_all();
}

bool SendTimecodeFrame(TSoundOutput& output, TTimecodeGenerator& generator, bool& failed)
{
    const bool dropped = generator.QueuedAheadMs() > TTimecodeOutput::kDropAheadMs;
    if (dropped)
        output.Flush();
    const int64_t latencyUs = output.LatencyUs();
    // The sink's own latency may pass the lead: after a drop a frame follows at once.
    if (latencyUs >= TTimecodeOutput::kLeadUs && !dropped)
        return false;
    // Heard after what is queued. A latency not known dates the frame now: its label comes
    // out early, and a desk that chases it late, never ahead.
    const uint32_t heard =
        Platform().TickCount() + static_cast<uint32_t>(std::max<int64_t>(latencyUs, 0) / 1000);
    const std::vector<float> frame = generator.NextFrame(heard);
    std::vector<int16_t> samples(frame.size());
    std::transform(frame.begin(), frame.end(), samples.begin(),
                   [](float value) { return static_cast<int16_t>(value * 32767.0f); });
    failed = !output.Write(reinterpret_cast<const uint8_t*>(samples.data()),
                           samples.size() * sizeof(int16_t));
    return !failed;
}

TTimecodeOutput::TTimecodeOutput(const TTimecodeOutputSettings& settings,
                                 std::shared_ptr<TSoundServer> server, TClock clock)
    : settings_(settings),
      server_(std::move(server)),
      clock_(std::move(clock)),
      timer_(Platform().CreateTimer([this] { Follow(); }))
{
    timer_->SetInterval(kFollowMs);
}

TTimecodeOutput::~TTimecodeOutput()
{
    Stop();
}

void TTimecodeOutput::Start()
{
    if (Running())
        return;
    shared_ = std::make_shared<TShared>(settings_);
    // On the right channel of the soundtrack's sink the music keeps to the left, from its
    // next play on.
    if (settings_.target.side == TSoundSide::Right)
        SetSoundtrackSide(TSoundSide::Left);
    Follow();
    timer_->SetEnabled(true);
    std::thread([shared = shared_, server = server_, target = settings_.target] {
        shared->Run(server, target);
    }).detach();
}

void TTimecodeOutput::Stop()
{
    timer_->SetEnabled(false);
    if (!shared_)
        return;
    Raise(false);
    if (settings_.target.side == TSoundSide::Right)
        SetSoundtrackSide(TSoundSide::Both);
    std::unique_lock lock(shared_->mutex);
    shared_->quit = true;
    shared_->wake.notify_all();
    shared_->ended.wait_for(lock, kEndWait, [this] { return shared_->done; });
    lock.unlock();
    shared_.reset();
}

bool TTimecodeOutput::Running() const
{
    return shared_ != nullptr;
}

bool TTimecodeOutput::Failed() const
{
    return shared_ && shared_->failed;
}

bool TTimecodeOutput::Sending() const
{
    return shared_ && shared_->sent;
}

TTimecodeLabel TTimecodeOutput::Label() const
{
    return shared_ ? shared_->generator.LastLabel() : TTimecodeLabel{};
}

void TTimecodeOutput::Follow()
{
    if (!shared_)
        return;
    const uint32_t now = Platform().TickCount();
    bool running = false;
    const TShowClockLook look = clock_(now, running);
    shared_->generator.Follow(look, running);
    Raise(running);
}

void TTimecodeOutput::Raise(bool on)
{
    const int thread = on ? shared_->thread.load() : 0;
    if (thread == raised_)
        return;
    // Refused: the show's own threads were refused alike, and that is logged.
    if (raised_ != 0)
        Platform().SetRealTime(raised_, 0, false);
    if (thread != 0)
        Platform().SetRealTime(thread, kWriterPriority, true);
    raised_ = thread;
}

}  // namespace kv
