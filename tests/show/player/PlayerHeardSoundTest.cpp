// The show clock against the music the audience hears, with a sound output whose latency
// the test sets, on virtual time.
#include "rigs/VirtualPlayback.h"
#include "rigs/VirtualShow.h"

#include "rigs/SoundtrackFiles.h"
#include "link/BusEncoding.h"

namespace kvtest {
namespace {

constexpr int kLatencyMs = 80;

struct THeardShot {
    int channel;
    uint32_t tick;
    int64_t heardMs;  // the music's position the audience hears at the shot
};

class PlayerHeardSound : public VirtualShow {
protected:
    void SetUp() override
    {
        show->AddModule(Module(1));
        show->Connect();
        Player().OnFired = [this](int, int channel) {
            shots.push_back({channel, platform.TickCount(), Player().Soundtrack().HeardMs()});
        };
    }
    // A soundtrack played through an output of this latency (below 0: none) and clock.
    bool LoadSoundtrack(int latencyMs, TOutputClock clock = {}, double seconds = 3)
    {
        output.reset();  // before the next one installs itself
        output = std::make_unique<TVirtualSoundOutput>(latencyMs, clock);
        return Player().LoadSoundtrack(folder.Make("track.wav", seconds, ""));
    }
    // Each shot against its cue time: none before the audience hears its moment in the music.
    // lateMs: a tick, and the shot's own time on the bus.
    void ExpectNothingAheadOfTheSound(const std::vector<int32_t>& cueTimes, int lateMs = 25 + 2)
    {
        ASSERT_EQ(shots.size(), cueTimes.size());
        for (size_t i = 0; i < shots.size(); ++i) {
            EXPECT_GE(shots[i].heardMs, cueTimes[i]) << "cue " << i << " fired ahead of its sound";
            EXPECT_LT(shots[i].heardMs, cueTimes[i] + lateMs) << "cue " << i << " not in its tick";
        }
    }

    kv::TSoundtrackFolder folder;
    std::unique_ptr<TVirtualSoundOutput> output;
    std::vector<THeardShot> shots;
};

TEST_F(PlayerHeardSound, TheClockStartsWhenTheFirstSampleIsHeard)
{
    ASSERT_TRUE(LoadSoundtrack(kLatencyMs));
    show->LoadScenario("1 1 1\n1.2 1 2\n");
    const uint32_t start = Start(1000);
    EXPECT_LT(Player().CurrentTime(), 1000) << "the music is not heard yet";
    // The cue no longer waits for the tick after its sound: up to the millisecond before it
    // nothing may have left (the start notice's own line time counts in that).
    platform.AdvanceUntil([&] { return Since(start, platform.TickCount()) >= kLatencyMs - 1; }, 1000);
    EXPECT_TRUE(show->Shots().empty()) << "the cue at the start point went out before its sound";
    ASSERT_TRUE(RunUntilStopped(5000));
    ExpectNothingAheadOfTheSound({1000, 1200});
    EXPECT_GE(Since(start, shots[0].tick), kLatencyMs);
    EXPECT_LE(Since(start, shots[0].tick), kLatencyMs + 1 + 4) << "a millisecond and its echo";
}

TEST_F(PlayerHeardSound, TheClockStaysBelowTheStartPointWhileTheLatencyGrows)
{
    // The server said 80 ms as the music started, then took 250 ms to play its first sample.
    ASSERT_TRUE(LoadSoundtrack(kLatencyMs, {.latencyChangeAtMs = 40, .laterLatencyMs = 250}));
    show->LoadScenario("1 1 1\n1.1 1 2\n");
    const uint32_t start = Start(1000);
    int32_t highest = Player().CurrentTime();
    Player().OnTime = [&](int32_t time) { highest = std::max(highest, time); };
    Player().timeReportInterval = 0;
    platform.Advance(245);
    EXPECT_LT(highest, 1000) << "the clock reached the start point before the music was heard";
    EXPECT_TRUE(shots.empty());
    ASSERT_TRUE(RunUntilStopped(5000));
    ExpectNothingAheadOfTheSound({1000, 1100});
    EXPECT_GE(Since(start, shots[0].tick), 250);
    EXPECT_LE(Since(start, shots[0].tick), 250 + 25);
}

TEST_F(PlayerHeardSound, MusicHeldBackToZeroIsFollowedFromItsHeardStart)
{
    ASSERT_TRUE(LoadSoundtrack(kLatencyMs));
    show->LoadScenario("0 1 1\n0.3 1 2\n");
    const uint32_t start = Start(-500);
    ASSERT_TRUE(RunUntilStopped(5000));
    ExpectNothingAheadOfTheSound({0, 300});
    EXPECT_GE(Since(start, shots[0].tick), 500 + kLatencyMs);
}

TEST_F(PlayerHeardSound, AutonomousTimeBroadcastsNeverRunAheadOfTheSound)
{
    ASSERT_TRUE(LoadSoundtrack(kLatencyMs));
    show->LoadScenario("2.5 1 1\n");
    Reconfigure(Player(), &kv::TShowSetup::controlMode, kv::kControlAutonomous);
    const uint32_t start = Start(2000);
    ASSERT_TRUE(RunUntilStopped(5000));
    int broadcasts = 0;
    for (const kv::TFrameEntry& frame : show->Sent(0x90)) {
        if ((frame.bytes[3] & 0x80) == 0)
            continue;  // the stop form
        ++broadcasts;
        // Where the music is, counted back before its first sample too.
        const int32_t music = 2000 + Since(start, kv::FieldTick(frame.startNs)) - kLatencyMs;
        EXPECT_LE(kv::TimeFromUnits(frame.bytes[1], frame.bytes[2]), music)
            << "the modules would fire from memory ahead of the music";
    }
    EXPECT_GE(broadcasts, 1);
}

TEST_F(PlayerHeardSound, TheClockFollowsAnOutputSlowerOrFasterThanTheSystemClock)
{
    // 2 % off: a sound card's few hundred ppm over a long show, in three seconds.
    for (int perMille : {980, 1020}) {
        SCOPED_TRACE(perMille);
        shots.clear();
        ASSERT_TRUE(LoadSoundtrack(kLatencyMs, {.perMille = perMille}));
        show->LoadScenario("0.5 1 1\n1 1 2\n1.5 1 3\n2 1 4\n2.5 1 5\n2.9 1 6\n");
        Start(0);
        ASSERT_TRUE(RunUntilStopped(5000));
        ExpectNothingAheadOfTheSound({500, 1000, 1500, 2000, 2500, 2900}, 25 + 5);
    }
}

TEST_F(PlayerHeardSound, AnOutputThatRunsDryHoldsTheShowBack)
{
    ASSERT_TRUE(LoadSoundtrack(kLatencyMs, {.stallAtMs = 1000, .stallMs = 300}));
    show->LoadScenario("0.9 1 1\n1.01 1 2\n1.1 1 3\n1.5 1 4\n2 1 5\n");
    const uint32_t start = Start(0);
    ASSERT_TRUE(RunUntilStopped(5000));
    ExpectNothingAheadOfTheSound({900, 1010, 1100, 1500, 2000});
    EXPECT_GE(Since(start, shots.back().tick), kLatencyMs + 300 + 2000);
}

TEST_F(PlayerHeardSound, AtAnotherTempoTheShowKeepsItsOwnClock)
{
    // The tempo moves the show away from the music on purpose: it runs on the ticks alone.
    ASSERT_TRUE(LoadSoundtrack(kLatencyMs, {.perMille = 980}));
    Player().SetTempo(1100);
    show->LoadScenario("2.2 1 1\n");
    const uint32_t start = Start(0);
    ASSERT_TRUE(RunUntilStopped(5000));
    ASSERT_EQ(shots.size(), 1u);
    EXPECT_GE(Since(start, shots[0].tick), kLatencyMs + 2000);
    EXPECT_LE(Since(start, shots[0].tick), kLatencyMs + 2000 + 25 + 2);
}

TEST_F(PlayerHeardSound, AfterTheMusicEndsTheShowGoesOnByTheTicks)
{
    ASSERT_TRUE(LoadSoundtrack(kLatencyMs, {.perMille = 980}, 1));
    show->LoadScenario("0.5 1 1\n2 1 2\n");
    const uint32_t start = Start(0);
    ASSERT_TRUE(RunUntilStopped(5000));
    ASSERT_EQ(shots.size(), 2u);
    EXPECT_GE(shots[0].heardMs, 500);
    // The music's second ended some 20 ms late on this output; the last second runs on ticks.
    EXPECT_GE(Since(start, shots[1].tick), kLatencyMs + 2000);
    EXPECT_LE(Since(start, shots[1].tick), kLatencyMs + 2000 + 20 + 25 + 5);
}

TEST_F(PlayerHeardSound, JoiningTheMusicBehindTheStoppedClockFiresNoCueTwice)
{
    // With the show half a second ahead of the music, a stop and a quick restart on the
    // music that played on would find the last half second's cues due once more; so did a
    // start point moved meanwhile (F4: 0 and the first cue; Enter: a cue's row).
    struct TStartPoint {
        int32_t time;
        int32_t cue;
    };
    for (const TStartPoint moved : {TStartPoint{-1, -1}, TStartPoint{0, 0}, TStartPoint{800, 1}}) {
        SCOPED_TRACE(moved.time);
        show->field->ClearRecord();
        ASSERT_TRUE(LoadSoundtrack(0));
        show->LoadScenario("0.5 1 1\n0.8 1 2\n1.5 1 3\n");
        Player().SetOffset(500);
        Player().SetStartPoint(0, 0);
        Start(0);
        platform.Advance(400);
        Player().Stop(false);
        ASSERT_EQ(show->Shots().size(), 2u);
        ASSERT_TRUE(Player().Soundtrack().IsPlaying());
        if (moved.time >= 0) {
            Player().SetStartPoint(moved.time, moved.cue);
        }
        Player().StartFromSoundtrack();
        ASSERT_TRUE(RunUntilStopped(5000));
        const std::vector<kv::TShotEntry> fired = show->Shots();
        ASSERT_EQ(fired.size(), 3u);
        EXPECT_EQ(fired[2].channel, 2);
    }
}

TEST_F(PlayerHeardSound, WithoutLatencyOrWithoutOutputTheShowKeepsItsClock)
{
    for (int latency : {0, -1}) {
        SCOPED_TRACE(latency);
        show->field->ClearRecord();
        shots.clear();
        EXPECT_EQ(LoadSoundtrack(latency), latency == 0);
        show->LoadScenario("1 1 1\n");
        const uint32_t start = Start(1000);
        EXPECT_EQ(Player().CurrentTime(), 1000);
        ASSERT_TRUE(RunUntilStopped(5000));
        ASSERT_EQ(shots.size(), 1u);
        EXPECT_GE(Since(start, shots[0].tick), 25);
        EXPECT_LT(Since(start, shots[0].tick), 25 + 20) << "the first tick fires the cue at the start";
    }
}

}  // namespace
}  // namespace kvtest
