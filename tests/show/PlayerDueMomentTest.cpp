// Direct control on virtual time: each shot leaves at the very millisecond the show clock
// reaches its cue, not at the next 25 ms tick, and never before.
#include "show/VirtualPlayback.h"
#include "show/VirtualShow.h"

#include "audio/SoundtrackFiles.h"
#include "field/FieldRecord.h"
#include "show/ShowClock.h"

#include <iterator>
#include <map>

namespace kvtest {
namespace {

struct TFireFrame {
    int module;
    int channel;
    uint32_t tick;  // its first bit
};

class PlayerDueMoment : public VirtualShow {
protected:
    void SetUp() override
    {
        show->AddModule(Module(1));
        show->AddModule(Module(2));
        show->Connect();
    }
    std::vector<TFireFrame> FireFrames()
    {
        std::vector<TFireFrame> frames;
        for (const kv::TFrameEntry& entry : show->Sent(0x84))
            frames.push_back({entry.bytes[5], entry.bytes[1] + 256 * entry.bytes[2] - 1,
                              kv::FieldTick(entry.startNs)});
        return frames;
    }
    // The first tick at which a clock started at start reads time.
    static uint32_t Due(uint32_t start, int32_t time, int32_t tempo, int32_t offset = 0)
    {
        uint32_t tick = start;
        while (kv::ScenarioClock(start, tick, tempo, 0, offset) < time)
            ++tick;
        return tick;
    }
    // Cue i fires channel i of the modules 1..modules in turn.
    static std::string Scenario(const std::vector<int32_t>& times, int modules)
    {
        std::string text;
        for (size_t i = 0; i < times.size(); ++i)
            text += std::to_string(times[i] / 1000) + "." +
                    std::to_string(1000 + times[i] % 1000).substr(1) + " " +
                    std::to_string(static_cast<int>(i) % modules + 1) + " " + std::to_string(i + 1) + "\n";
        return text;
    }
    // Where the last frame on the bus began.
    uint32_t LastFrameTick()
    {
        const auto frames = show->Sent();
        return frames.empty() ? 0 : kv::FieldTick(frames.back().startNs);
    }
};

// Shots once left at the first 25 ms tick at or after their moment: 0 to 25 ms late.
TEST_F(PlayerDueMoment, AtTempo100_95And110EachShotLeavesAtItsMillisecond)
{
    const std::vector<int32_t> times = {13, 1013, 1037, 1049, 1250, 1262, 2007, 2031};
    show->LoadScenario(Scenario(times, 2));
    for (const int32_t tempo : {1000, 950, 1100}) {
        SCOPED_TRACE(tempo);
        show->field->ClearRecord();
        Player().currentTime = 0;
        Player().SetTempo(tempo);
        const uint32_t start = Start(0);
        ASSERT_TRUE(RunUntilStopped(10000));
        const std::vector<TFireFrame> frames = FireFrames();
        ASSERT_EQ(frames.size(), times.size());
        for (size_t i = 0; i < times.size(); ++i) {
            EXPECT_EQ(frames[i].channel, static_cast<int>(i)) << "in scenario order";
            EXPECT_EQ(Since(start, frames[i].tick), Since(start, Due(start, times[i], tempo)))
                << "cue at " << times[i];
        }
        const kv::TCueRecord& record = Player().FiringReport().Records()[1];
        EXPECT_EQ(record.outcome, kv::TCueOutcome::Fired);
        EXPECT_GE(record.sentAt, 1013) << "its echo, on the show clock";
        EXPECT_LE(record.sentAt, 1013 + 5);
    }
    Player().SetTempo(1000);
    EXPECT_TRUE(Logged("Запуск, пульт: 2, канал: 8"));
}

// A shot handed to the port before the operator steps the offset must leave on the new clock:
// stepped back, not early by the step; stepped on, at once.
TEST_F(PlayerDueMoment, AnOffsetKeyBetweenTwoCuesMovesTheShotAlreadyHandedOver)
{
    show->LoadScenario("1 1 1\n1.03 2 1\n2 1 2\n2.03 2 2\n");
    const uint32_t start = Start(0);
    const auto advanceTo = [&](int32_t ms) {
        platform.AdvanceUntil([&] { return Since(start, platform.TickCount()) >= ms; }, 5000);
        return Since(start, platform.TickCount());
    };
    advanceTo(1010);
    ASSERT_EQ(FireFrames().size(), 1u);
    Player().SetOffset(-50);
    const int32_t stepOn = advanceTo(2010);
    Player().SetOffset(0);
    ASSERT_TRUE(RunUntilStopped(5000));
    const std::vector<TFireFrame> frames = FireFrames();
    ASSERT_EQ(frames.size(), 4u);
    EXPECT_EQ(Since(start, frames[0].tick), 1000);
    EXPECT_EQ(Since(start, frames[1].tick), 1080) << "the cue at 1030 with the offset -50";
    EXPECT_EQ(Since(start, frames[2].tick), stepOn) << "at the step: the clock passed 2000";
    EXPECT_EQ(Since(start, frames[3].tick), 2030);
}

// A stop once let nothing through after its frames; a shot handed over before it must not
// leave after them either, and a resume fires it once.
TEST_F(PlayerDueMoment, AStopBetweenHandOverAndDueMomentSendsNothingAfterTheStopFrames)
{
    show->LoadScenario("1 1 1\n1.03 2 1\n");
    Start(0);
    platform.Advance(1010);
    ASSERT_EQ(FireFrames().size(), 1u);
    Player().Stop(false);
    const int32_t stoppedAt = Player().currentTime;
    const uint32_t stopped = LastFrameTick();
    platform.Advance(200);
    EXPECT_EQ(FireFrames().size(), 1u);
    EXPECT_EQ(LastFrameTick(), stopped) << "a frame after the stop frames";
    EXPECT_EQ(Player().FiringReport().Records()[1].outcome, kv::TCueOutcome::Missed);
    EXPECT_FALSE(Logged("Запуск, пульт: 2, канал: 1"));

    const uint32_t resumed = Start(Player().currentTime);
    ASSERT_TRUE(RunUntilStopped(3000));
    const std::vector<TFireFrame> frames = FireFrames();
    ASSERT_EQ(frames.size(), 2u) << "the first cue not again";
    EXPECT_EQ(frames[1].module, 2);
    EXPECT_EQ(Since(resumed, frames[1].tick), 1030 - stoppedAt);
}

// The heard music may stand still at any moment: a shot handed over ahead on its pace would
// leave before its sound. Followed, a shot leaves on the tick that hears its moment, on a
// sound card a little slower than the system clock and across a stall of the output alike.
TEST_F(PlayerDueMoment, FollowingTheHeardMusicNoShotLeavesBeforeItsSound)
{
    kv::TSoundtrackFolder folder;
    TVirtualSoundOutput output(80, {.perMille = 997, .stallAtMs = 1020, .stallMs = 300});
    ASSERT_TRUE(Player().LoadSoundtrack(folder.Make("track.wav", 3, "")));
    const std::vector<int32_t> times = {1000, 1013, 1049, 1262, 2007};
    show->LoadScenario(Scenario(times, 1));
    const uint32_t start = Start(0);
    std::map<int32_t, int64_t> heard;  // by tick since the start
    while (Player().IsRunning() && heard.size() < 5000) {
        platform.Advance(1);
        heard[Since(start, platform.TickCount())] = Player().Soundtrack().HeardMs();
    }
    const std::vector<TFireFrame> frames = FireFrames();
    ASSERT_EQ(frames.size(), times.size());
    for (size_t i = 0; i < times.size(); ++i) {
        SCOPED_TRACE(times[i]);
        // A frame's echo moves the time on by its line time: between two looks the music
        // ran evenly.
        const int32_t tick = Since(start, frames[i].tick);
        const auto after = heard.lower_bound(tick);
        ASSERT_TRUE(after != heard.begin() && after != heard.end());
        const auto before = std::prev(after);
        const int64_t heardAtShot =
            after->first == tick ? after->second
                                 : before->second + (after->second - before->second) *
                                                        (tick - before->first) /
                                                        (after->first - before->first);
        EXPECT_GE(heardAtShot, times[i]) << "ahead of its sound";
        EXPECT_LE(heardAtShot, times[i] + 25 + 4) << "not in the tick that heard it";
    }
}

}  // namespace
}  // namespace kvtest
