// The timecode sent of the show's own clock, heard on virtual time through a sound server's
// queue by the project's own decoder and chase, as a sound or lighting desk would chase it:
// every rate, drop-frame numbering across minutes, the show clock followed across the tempo,
// the offset key and a stop, and never ahead of the show.
#include "rigs/VirtualShow.h"
#include "show/timecode/TimecodeChase.h"
#include "show/timecode/TimecodeOutput.h"

#include <deque>
#include <map>

namespace kvtest {
namespace {

using kv::TTimecodeRate;

constexpr int kRate = kv::TTimecodeOutput::kSampleRate;

// A stream on the sound server on virtual time: what is queued is heard at the sound's pace,
// silence when nothing is, and handed to the decoders as it is heard. Its latency readings
// come up to 2 ms short, as a server's wobble.
class TVirtualTimecodeSink : public kv::TSoundOutput {
public:
    explicit TVirtualTimecodeSink(std::vector<kv::TTimecodeInput*> inputs)
        : inputs_(std::move(inputs)), tick_(kv::Platform().TickCount())
    {
    }
    int64_t LatencyUs() override
    {
        wobble_ = wobble_ * 1103515245u + 12345u;
        const int64_t queued = static_cast<int64_t>(queue_.size()) * 1000000 / kRate;
        return std::max<int64_t>(queued - (wobble_ >> 8) % 2000, 0);
    }
    bool Write(const uint8_t* data, size_t size) override
    {
        const auto* samples = reinterpret_cast<const int16_t*>(data);
        for (size_t i = 0; i < size / sizeof(int16_t); ++i)
            queue_.push_back(static_cast<float>(samples[i]) / 32767.0f);
        return true;
    }
    void Flush() override { queue_.clear(); }
    void Hear(uint32_t now)
    {
        std::vector<float> heard(static_cast<size_t>(now - tick_) * kRate / 1000, 0.0f);
        const size_t taken = std::min(heard.size(), queue_.size());
        std::copy_n(queue_.begin(), taken, heard.begin());
        queue_.erase(queue_.begin(), queue_.begin() + static_cast<ptrdiff_t>(taken));
        for (kv::TTimecodeInput* input : inputs_)
            input->Write(heard.data(), heard.size(), now);
        tick_ = now;
    }

private:
    std::vector<kv::TTimecodeInput*> inputs_;
    uint32_t tick_;
    std::deque<float> queue_;
    uint32_t wobble_ = 1;
};

class TimecodeOutput : public VirtualShow {
protected:
    void SetUp() override
    {
        show->AddModule(Module(1));
        show->Connect();
        // Cues far apart: the show runs for minutes.
        std::string text;
        for (int i = 0; i < 16; ++i)
            text += std::to_string(10 + 10 * i) + " 1 " + std::to_string(1 + i) + "\n";
        show->LoadScenario(text);
    }

    // Sends the show clock from now on; the desk's zero is the same as ours.
    void Send(TTimecodeRate rate, kv::TTimecodeLabel zero)
    {
        rate_ = rate;
        zeroMs_ = kv::FrameStartMs(kv::FrameIndex(zero, rate), rate);
        kv::TTimecodeSettings desk;
        desk.zero = zero;
        frames.clear();
        clock.clear();
        chaseInput = std::make_unique<kv::TTimecodeInput>(kRate);
        rawInput = std::make_unique<kv::TTimecodeInput>(kRate);
        generator = std::make_unique<kv::TTimecodeGenerator>(rate, zero, kRate);
        chase = std::make_unique<kv::TTimecodeChase>(*chaseInput, desk);
        sink = std::make_unique<TVirtualTimecodeSink>(
            std::vector<kv::TTimecodeInput*>{chaseInput.get(), rawInput.get()});
        timer = platform.CreateTimer([this] { Step(); });
        timer->SetInterval(1);
        timer->SetEnabled(true);
    }
    void Step()
    {
        const uint32_t now = platform.TickCount();
        sink->Hear(now);
        generator->Follow(Player().ClockLook(now), Player().IsRunning());
        bool failed = false;
        while (kv::SendTimecodeFrame(*sink, *generator, failed)) {
        }
        ASSERT_FALSE(failed);
        clock[now] = Player().ClockLook(now).time;
        chase->Poll(now);
        for (const kv::TTimecodeFrame& frame : rawInput->Take())
            frames.push_back(frame);
    }
    // The show time a frame's label begins at.
    int32_t ShowMs(const kv::TTimecodeFrame& frame) const
    {
        return static_cast<int32_t>(kv::FrameStartMs(kv::FrameIndex(frame.label, rate_), rate_) -
                                    zeroMs_);
    }
    // The show clock when the frame began to be heard.
    int32_t ClockAt(const kv::TTimecodeFrame& frame) const
    {
        const auto after = clock.upper_bound(frame.startTick);
        return after == clock.begin() ? after->second : std::prev(after)->second;
    }
    // Frames that begin past the show clock by more than that.
    int Ahead(int32_t byMs = kv::TTimecodeGenerator::kRunOnMs) const
    {
        int ahead = 0;
        for (const kv::TTimecodeFrame& frame : frames)
            ahead += ShowMs(frame) > ClockAt(frame) + byMs;
        return ahead;
    }
    std::vector<int64_t> Indices(size_t from) const
    {
        std::vector<int64_t> indices;
        for (size_t i = from; i < frames.size(); ++i)
            indices.push_back(kv::FrameIndex(frames[i].label, rate_));
        return indices;
    }

    TTimecodeRate rate_ = TTimecodeRate::Fps25;
    int64_t zeroMs_ = 0;
    std::unique_ptr<kv::TTimecodeInput> chaseInput;
    std::unique_ptr<kv::TTimecodeInput> rawInput;
    std::unique_ptr<kv::TTimecodeGenerator> generator;
    std::unique_ptr<kv::TTimecodeChase> chase;
    std::unique_ptr<TVirtualTimecodeSink> sink;
    std::unique_ptr<kv::TTimer> timer;
    std::map<uint32_t, int32_t> clock;  // the show clock at every tick
    std::vector<kv::TTimecodeFrame> frames;
};

TEST_F(TimecodeOutput, EveryRateIsChasedAsSentTwoFramesBehindTheShowAtMost)
{
    for (const TTimecodeRate rate : {TTimecodeRate::Fps24, TTimecodeRate::Fps25,
                                     TTimecodeRate::Fps2997Drop, TTimecodeRate::Fps30}) {
        SCOPED_TRACE(kv::TimecodeRateName(rate));
        Player().Stop(true);
        Send(rate, {10, 0, 0, 0});
        Start(0);
        platform.Advance(1000);
        ASSERT_EQ(chase->State(), kv::TTimecodeChase::TState::Locked);
        EXPECT_EQ(chase->Rate(), rate);
        EXPECT_EQ(frames.back().dropFrame, rate == TTimecodeRate::Fps2997Drop);
        const int32_t periodMs = static_cast<int32_t>(kv::FramePeriodUs(rate) / 1000) + 1;
        int lagging = 0;
        for (int i = 0; i < 3000; ++i) {
            platform.Advance(1);
            const uint32_t now = platform.TickCount();
            const int32_t lag = Player().ClockLook(now).time - *chase->Heard(now);
            // A frame is known once it has passed, and its label is the show time rounded
            // down to whole frames: up to two frames late, never ahead beyond the roundings.
            lagging += lag < -kv::TTimecodeGenerator::kRunOnMs || lag > 2 * periodMs + 2;
        }
        EXPECT_EQ(lagging, 0);
        EXPECT_EQ(Ahead(), 0);
    }
}

TEST_F(TimecodeOutput, NoFrameRepeatsOrIsLeftOutWhileTheShowRunsAtItsPace)
{
    // The sound's frames and the labels' frames stand in any phase to each other.
    for (const TTimecodeRate rate : {TTimecodeRate::Fps24, TTimecodeRate::Fps2997Drop}) {
        for (uint32_t phase = 0; phase < 42; phase += 3) {
            SCOPED_TRACE(kv::TimecodeRateName(rate) + ", phase " + std::to_string(phase));
            Player().Stop(true);
            Player().SetStartPoint(0, Player().NextCue());  // nothing queued ahead to drop at the start
            Send(rate, {10, 0, 0, 0});
            platform.Advance(phase);
            Start(0);
            platform.Advance(1500);
            const std::vector<int64_t> indices = Indices(frames.size() - 30);
            for (size_t i = 1; i < indices.size(); ++i)
                ASSERT_EQ(indices[i], indices[i - 1] + 1) << "frame " << i;
        }
    }
}

TEST_F(TimecodeOutput, DropFrameLabelsLeaveOutTheFirstTwoNumbersOfEachMinuteButTheTenth)
{
    for (const kv::TTimecodeLabel zero :
         {kv::TTimecodeLabel{0, 0, 59, 0}, kv::TTimecodeLabel{0, 9, 59, 0}}) {
        Player().Stop(true);
        Send(TTimecodeRate::Fps2997Drop, zero);
        Start(0);
        platform.Advance(2000);
        const size_t first = frames.size() > 60 ? frames.size() - 60 : 0;
        std::vector<std::string> labels;
        for (size_t i = first; i < frames.size(); ++i)
            labels.push_back(kv::FormatTimecode(frames[i].label, true));
        const auto at = [&](const std::string& label) {
            return std::find(labels.begin(), labels.end(), label) - labels.begin();
        };
        if (zero.minutes == 0) {
            ASSERT_LT(at("00:00:59;29"), static_cast<ptrdiff_t>(labels.size()));
            EXPECT_EQ(at("00:01:00;02"), at("00:00:59;29") + 1);
            EXPECT_EQ(at("00:01:00;00"), static_cast<ptrdiff_t>(labels.size()));
        } else {
            ASSERT_LT(at("00:09:59;29"), static_cast<ptrdiff_t>(labels.size()));
            EXPECT_EQ(at("00:10:00;00"), at("00:09:59;29") + 1);
            EXPECT_EQ(at("00:10:00;01"), at("00:10:00;00") + 1);
        }
    }
}

TEST_F(TimecodeOutput, FollowsTheTempoAndTheOffsetKeyAndStandsWhereTheShowStops)
{
    Send(TTimecodeRate::Fps25, {1, 0, 0, 0});
    Player().SetStartPoint(3000, Player().NextCue());  // the start point
    platform.Advance(500);
    // Before the show: the start point's frame, over and over.
    ASSERT_FALSE(frames.empty());
    for (const kv::TTimecodeFrame& frame : frames)
        ASSERT_EQ(ShowMs(frame), 3000);
    Start(3000);
    platform.Advance(1000);
    const size_t slowed = frames.size();
    Player().SetTempo(900);
    platform.Advance(1000);
    const std::vector<int64_t> slow = Indices(slowed + 5);
    // Nine frames of show time in ten of sound: one frame in ten repeats.
    EXPECT_NEAR(static_cast<double>(slow.back() - slow.front()),
                static_cast<double>(slow.size() - 1) * 0.9, 1.0);
    Player().SetTempo(1000);
    platform.Advance(500);

    Player().SetOffset(1000);
    platform.Advance(600);
    const uint32_t now = platform.TickCount();
    EXPECT_GE(*chase->Heard(now), Player().ClockLook(now).time - 82) << "the jump not followed";
    Player().SetOffset(0);
    platform.Advance(600);
    EXPECT_LE(ShowMs(frames.back()), Player().ClockLook(platform.TickCount()).time);
    EXPECT_GE(ShowMs(frames.back()), Player().ClockLook(platform.TickCount()).time - 90);

    Player().Stop(true);
    const int32_t stoppedAt = Player().CurrentTime();
    const size_t stopped = frames.size();
    platform.Advance(1000);
    // What was queued when it stopped is heard out; then the stop's frame holds.
    ASSERT_GT(frames.size(), stopped + 20);
    for (size_t i = stopped + 3; i < frames.size(); ++i)
        ASSERT_EQ(ShowMs(frames[i]), kv::FrameStartMs(kv::FrameAtMs(stoppedAt, rate_), rate_))
            << "frame " << i;
    // A slower tempo, a step back and a stop leave what was queued ahead: it is dropped.
    EXPECT_EQ(Ahead(kv::TTimecodeOutput::kDropAheadMs), 0);
}

}  // namespace
}  // namespace kvtest
