// Autonomous control on the simulated field: the scenario is written into the modules' memory
// and they fire it on the time the player tells them. What counts is what the modules fire and
// where their clocks stand against the show's, a millisecond at a time.
#include "rigs/VirtualPlayback.h"
#include "devices/memory/ModuleTransfer.h"
#include "rigs/VirtualShow.h"

#include "rigs/SoundtrackFiles.h"
#include "field/bus/WireFrame.h"
#include "link/BusEncoding.h"
#include "show/player/run/ShowClock.h"
#include "show/player/bus/StopBroadcast.h"

#include <algorithm>
#include <climits>
#include <functional>
#include <map>
#include <set>
#include <utility>

namespace kvtest {
namespace {

constexpr int kModules = 2;
constexpr int kChannels = 128;

using TChannel = std::pair<int, int>;  // module, channel

struct TWatch {
    int64_t worstAhead = INT64_MIN;  // modules' clock - show clock, the most it ever was
    int64_t worstEarly = INT64_MIN;  // cue time - show clock at a memory shot
    int64_t worstLate = INT64_MIN;   // show clock - cue time at a memory shot
    int64_t worstEarlyOnModule = INT64_MIN;  // cue time - the firing module's own clock
    std::vector<TChannel> shots;     // in firing order
};

class PlayerAutonomous : public VirtualShow {
protected:
    // firmware: the modules', which sets the steps their memory keeps times in.
    explicit PlayerAutonomous(int firmware = kv::TModuleSetup{}.version) : firmware_(firmware) {}

    void SetUp() override
    {
        for (int address = 1; address <= kModules; ++address) {
            kv::TModuleSetup setup = Module(address);
            setup.version = firmware_;
            setup.channels = kChannels;
            setup.channelOhms.assign(kChannels, 10.0);
            show->AddModule(setup);
        }
        show->Connect();
        Reconfigure(Player(), &kv::TShowSetup::controlMode, kv::kControlAutonomous);
    }

    // One cue per channel, modules in turn, written into the modules' memory.
    void WriteShow(const std::vector<int32_t>& times)
    {
        std::string text;
        cueTimes.clear();
        for (size_t i = 0; i < times.size(); ++i) {
            const int module = static_cast<int>(i) % kModules + 1;
            const int channel = static_cast<int>(i) / kModules;
            text += std::to_string(times[i] / 1000) + "." + std::to_string(1000 + times[i] % 1000).substr(1) +
                    " " + std::to_string(module) + " " + std::to_string(channel + 1) + "\n";
            cueTimes[{module, channel}] = times[i];
        }
        show->LoadScenario(text);
        ASSERT_EQ(kv::TModuleTransfer(*show->registry).WriteScenario(kv::TCueView(show->scenario.Cues())), 0);
        show->field->ClearRecord();
    }

    // The show clock now, with this offset.
    using TShowClock = std::function<int64_t(int32_t offset)>;

    // Runs the show a millisecond at a time until it stops (or limitMs), each millisecond
    // holding the modules' clocks and their new shots against the show clock; at(ms since
    // the call) lets the test act meanwhile. Shots while it acts are held against the clock
    // with the offset before it: the player sets a new offset once the modules have it.
    TWatch Watch(const TShowClock& showNow, uint32_t limitMs,
                 const std::function<void(uint32_t)>& at = nullptr)
    {
        TWatch watch;
        size_t seen = show->Shots().size();
        const auto newShots = [&](int64_t showMs) {
            const std::vector<kv::TShotEntry> shots = show->Shots();
            for (; seen < shots.size(); ++seen) {
                const TChannel channel{shots[seen].address, shots[seen].channel};
                EXPECT_EQ(shots[seen].source, kv::TShotSource::Memory);
                watch.shots.push_back(channel);
                const int64_t cue = cueTimes.at(channel);
                watch.worstEarly = std::max(watch.worstEarly, cue - showMs);
                watch.worstLate = std::max(watch.worstLate, showMs - cue);
                show->field->WithDevice(channel.first, [&](kv::TSimDevice& device) {
                    const kv::TModuleClock& clock = dynamic_cast<kv::TSimModule&>(device).Clock();
                    watch.worstEarlyOnModule =
                        std::max(watch.worstEarlyOnModule, cue - clock.ShowMsAt(shots[seen].ns));
                });
            }
        };
        for (uint32_t ms = 1; ms <= limitMs && Player().IsRunning(); ++ms) {
            platform.Advance(1);
            const int64_t showMs = showNow(Player().Offset());
            const int64_t ns = show->field->Clock().NowNs();
            for (int address = 1; address <= kModules; ++address)
                show->field->WithDevice(address, [&](kv::TSimDevice& device) {
                    const kv::TModuleClock& clock = dynamic_cast<kv::TSimModule&>(device).Clock();
                    if (clock.Running())
                        watch.worstAhead = std::max(watch.worstAhead, clock.ShowMsAt(ns) - showMs);
                });
            newShots(showMs);
            if (at) {
                const int32_t offsetBefore = Player().Offset();
                at(ms);
                newShots(showNow(offsetBefore));
            }
        }
        return watch;
    }
    // The show clock of a show started now from from, on the ticks alone.
    TShowClock TickClock(int32_t from)
    {
        const uint32_t start = platform.TickCount();
        return [this, start, from](int32_t offset) {
            return kv::ScenarioClock(start, platform.TickCount(), Player().Tempo(), from, offset);
        };
    }
    static std::vector<int32_t> Every(int32_t from, int32_t step, int count)
    {
        std::vector<int32_t> times;
        for (int i = 0; i < count; ++i)
            times.push_back(from + step * i);
        return times;
    }
    // The cues the firing report says the modules fired from memory.
    std::set<TChannel> ReportedMemoryShots() const
    {
        std::set<TChannel> reported;
        for (const kv::TCueRecord& record : show->player->FiringReport().Records())
            if (record.outcome == kv::TCueOutcome::Memory)
                reported.insert({record.cue.module, record.cue.channel});
        return reported;
    }
    static std::set<TChannel> Twice(const std::vector<TChannel>& shots)
    {
        std::set<TChannel> once, twice;
        for (const TChannel& shot : shots)
            if (!once.insert(shot).second)
                twice.insert(shot);
        return twice;
    }

    // Times off the memory's steps, one into the next tenth, and a salvo of two channels on
    // each module: each fires once, never before its module's own clock reaches it, and the
    // salvo at one moment.
    void FireTimesOffTheSteps()
    {
        WriteShow({1003, 1003, 1003, 1003, 1049, 1091, 1099, 1207, 1999, 2001, 2555, 2555});
        const auto clock = TickClock(0);
        Start(0);
        const TWatch watch = Watch(clock, 5000);
        EXPECT_LE(watch.worstEarlyOnModule, 0);
        EXPECT_LE(watch.worstAhead, 0);
        EXPECT_LE(watch.worstEarly, 0);
        EXPECT_EQ(watch.shots.size(), cueTimes.size());
        EXPECT_TRUE(Twice(watch.shots).empty());
        std::set<int64_t> salvo;
        for (const kv::TShotEntry& shot : show->Shots())
            if (cueTimes.at({shot.address, shot.channel}) == 1003)
                salvo.insert(shot.ns);
        EXPECT_EQ(salvo.size(), 1u);
    }

    std::map<TChannel, int32_t> cueTimes;

private:
    int firmware_;
};

class PlayerAutonomousPlainMemory : public PlayerAutonomous {
protected:
    PlayerAutonomousPlainMemory() : PlayerAutonomous(0x150) {}  // times in 10 ms steps
};

// These shows once ran the modules ahead of the show: they run at real speed and were told
// the time once a second, so at 95 % they were 24 ms ahead half a second in, at 50 % half a
// second, and every memory cue fired that much early.
TEST_F(PlayerAutonomous, AtATempoBelow100TheModulesAreNeverAheadAndAtMostATenthAndAMarginLate)
{
    WriteShow(Every(1000, 46, 48));
    for (const int tempo : {500, 900, 950, 990}) {
        SCOPED_TRACE(tempo);
        Player().SetStartPoint(0, Player().NextCue());
        Player().SetTempo(tempo);
        const auto clock = TickClock(0);
        const size_t framesBefore = show->Sent(0x90).size();
        Start(0);
        const TWatch watch = Watch(clock, 8000);
        EXPECT_FALSE(Player().IsRunning());
        EXPECT_LE(watch.worstAhead, 0);
        EXPECT_LE(watch.worstEarly, 0);
        // What the bus's tenth costs, the margin a slower show needs until the look after
        // next, the frame's 3.65 ms on the line and the millisecond of the look.
        EXPECT_LE(watch.worstLate, 100 + (1000 - tempo) * 55 / 1000 + 5);
        EXPECT_EQ(watch.shots.size(), cueTimes.size());
        EXPECT_TRUE(Twice(watch.shots).empty());
        EXPECT_EQ(ReportedMemoryShots(), std::set<TChannel>(watch.shots.begin(), watch.shots.end()));
        // At 50 % the modules catch up on the show at half its speed: about every 200 ms.
        const size_t frames = show->Sent(0x90).size() - framesBefore;
        EXPECT_LE(frames, tempo == 500 ? 60u : 30u);
    }
}

// This start once told the modules the start point, 5000 ms, with the show clock at 4700 ms:
// they ran 300 ms ahead and fired everything that much early. A cue between the show clock
// and the start point must not fire either.
TEST_F(PlayerAutonomous, TheStartFrameCarriesTheShowClockAndPassesNoCueBeforeTheStartPoint)
{
    WriteShow({5000, 5010, 5100, 5350, 5500});
    Player().SetOffset(-300);
    Player().SetStartPoint(5000, Player().NextCue());
    auto clock = TickClock(5000);
    Start(5000);
    const auto frames = show->Sent(0x90);
    ASSERT_FALSE(frames.empty());
    EXPECT_EQ(Head(frames[0]), Bytes({0x90, 0, 47, 0x80, 0, 0})) << "4700 ms";
    TWatch watch = Watch(clock, 3000);
    EXPECT_LE(watch.worstAhead, 0);
    EXPECT_LE(watch.worstEarly, 0);
    EXPECT_EQ(watch.shots.size(), 5u);

    WriteShow({4850, 5000, 5010, 5500});
    Player().SetStartPoint(5000, Player().NextCue());
    clock = TickClock(5000);
    const uint32_t start = Start(5000);
    watch = Watch(clock, 3000);
    EXPECT_LE(watch.worstAhead, 0);
    EXPECT_LE(watch.worstEarly, 0);
    EXPECT_EQ(watch.shots, (std::vector<TChannel>{{2, 0}, {1, 1}, {2, 1}})) << "not the one at 4850";
    const auto held = show->Sent(0x90);
    ASSERT_FALSE(held.empty());
    EXPECT_EQ(Head(held[0]), Bytes({0x90, 0, 49, 0x80, 0, 0})) << "4900 ms, after the cue at 4850";
    EXPECT_GE(Since(start, held[0].Tick()), 200);
}

TEST_F(PlayerAutonomous, AnOffsetStepBackTellsTheModulesAtOnce)
{
    WriteShow(Every(400, 20, 100));
    const auto clock = TickClock(0);
    Start(0);
    const TWatch watch = Watch(clock, 5000, [this](uint32_t ms) {
        if (ms == 1010 || ms == 1530 || ms == 1540)
            Player().SetOffset(Player().Offset() - 50);
    });
    EXPECT_EQ(Player().Offset(), -150);
    EXPECT_LE(watch.worstAhead, 0);
    EXPECT_LE(watch.worstEarly, 0);
    EXPECT_EQ(watch.shots.size(), 100u);
    EXPECT_TRUE(Twice(watch.shots).empty()) << "a running clock set back fires nothing again";

    // Set back below 0, where the bus has no time: the modules' clocks stand until the show
    // is past the tenth after where they stood, and then fire on from there.
    Player().SetOffset(0);
    Player().SetStartPoint(0, Player().NextCue());
    const auto again = TickClock(0);
    const size_t framesBefore = show->Sent(0x90).size();
    Start(0);
    const TWatch below = Watch(again, 5000, [this](uint32_t ms) {
        if (ms == 60)
            Player().SetOffset(-150);
    });
    EXPECT_LE(below.worstAhead, 0);
    EXPECT_LE(below.worstEarly, 0);
    EXPECT_EQ(below.shots.size(), 100u);
    EXPECT_TRUE(Twice(below.shots).empty());
    const auto frames = show->Sent(0x90);
    ASSERT_GT(frames.size(), framesBefore + 2);
    EXPECT_EQ(Head(frames[framesBefore + 1]), Bytes({0x90, 0, 0, 0, 0, 0})) << "the stop form";
    EXPECT_EQ(Head(frames[framesBefore + 2]), Bytes({0x90, 0, 1, 0x80, 0, 0})) << "100 ms";
}

// This show once let the modules run on for two seconds while the music, and the show with
// it, stood still: the re-send waited for the next tenth, and then for a whole second more.
TEST_F(PlayerAutonomous, AStalledOutputHoldsTheModulesBehindTheMusic)
{
    kv::TSoundtrackFolder folder;
    TVirtualSoundOutput output(80, {.stallAtMs = 1000, .stallMs = 3000});
    ASSERT_TRUE(Player().LoadSoundtrack(folder.Make("track.wav", 8, "")));
    WriteShow(Every(500, 40, 60));
    Start(0);
    const size_t framesBefore = show->Sent(0x90).size();
    const TWatch watch = Watch([this](int32_t) { return Player().Soundtrack().HeardMs(); }, 9000);
    EXPECT_LE(watch.worstAhead, 0);
    EXPECT_LE(watch.worstEarly, 0);
    EXPECT_EQ(watch.shots.size(), 60u);
    EXPECT_TRUE(Twice(watch.shots).empty());
    // While the music stands, a time lasts at least two ticks.
    EXPECT_LE(show->Sent(0x90).size() - framesBefore, 3000u / 50 + 20);
}

// A converter too slow to hand back the echo of a time frame within its wait once let the echo
// through as a frame from the bus: the station took its own time for another master's start,
// answered it with the stop form, and the modules stood until the next time (kvfield: 146 of
// 157 cues fired).
TEST_F(PlayerAutonomous, ItsOwnTimeFrameComingBackLateIsNoOtherMastersStart)
{
    WriteShow(Every(500, 20, 100));
    Player().SetTempo(950);
    const auto clock = TickClock(0);
    Start(0);
    size_t echoed = 0;
    const TWatch watch = Watch(clock, 6000, [&](uint32_t) {
        const auto frames = show->Sent(0x90);
        for (; echoed < frames.size() && Since(frames[echoed].Tick(), platform.TickCount()) >= 60;
             ++echoed) {
            kv::TFrameRecord heard{};
            std::copy_n(frames[echoed].bytes.begin(), heard.size(), heard.begin());
            Player().HandleMessage(heard);
        }
    });
    Player().SetTempo(1000);
    EXPECT_GT(echoed, 3u);
    EXPECT_FALSE(Logged("Внешняя команда запуска - отменено"));
    const auto frames = show->Sent(0x90);
    const auto stop = std::find_if(frames.begin(), frames.end(),
                                   [](const kv::TFrameEntry& frame) { return frame.bytes[3] == 0; });
    ASSERT_NE(stop, frames.end());
    // The stop goes out several times, so that no module misses it.
    EXPECT_EQ(frames.end() - stop, kv::TStopBroadcast::kSendings) << "only the show's own stop at its end";
    EXPECT_TRUE(std::all_of(stop, frames.end(), [](const kv::TFrameEntry& frame) { return frame.bytes[3] == 0; }));
    EXPECT_LE(watch.worstAhead, 0);
    EXPECT_LE(watch.worstEarly, 0);
    EXPECT_EQ(watch.shots.size(), 100u);
    EXPECT_TRUE(Twice(watch.shots).empty());
}

// Another master's start during the show is still refused with the stop form, which stops the
// modules' clocks. The show once went on as if they still ran, and they stood to its end (50
// of 100 fired); started again at or before a cue they fired, they would fire it twice.
TEST_F(PlayerAutonomous, AnotherMastersStartIsRefusedAndTheModulesStartAgainAfterWhereTheyStood)
{
    WriteShow(Every(500, 20, 100));
    Player().SetTempo(950);
    const auto clock = TickClock(0);
    Start(0);
    const kv::TWireFrame otherStart = kv::MakeWireFrame(0x90, 0, 5, 0x80, 0, 0);  // 500 ms
    const TWatch watch = Watch(clock, 6000, [&](uint32_t ms) {
        if (ms == 1500)
            show->field->InjectFrame(0, show->field->ElapsedMs(), otherStart);
        if (ms == 1505) {  // on the line 3.65 ms, then to the station
            kv::TFrameRecord heard{};
            std::copy_n(otherStart.begin(), heard.size(), heard.begin());
            Player().HandleMessage(heard);
        }
    });
    Player().SetTempo(1000);
    EXPECT_TRUE(Logged("Внешняя команда запуска - отменено"));
    const auto frames = show->Sent(0x90);
    EXPECT_TRUE(std::any_of(frames.begin(), frames.end(), [](const kv::TFrameEntry& frame) {
        return Head(frame) == Bytes({0x90, 0, 5, 0, 0, 0});
    })) << "the refusal";
    EXPECT_LE(watch.worstEarly, 0);
    EXPECT_TRUE(Twice(watch.shots).empty());
    EXPECT_GE(watch.shots.size(), 90u) << "only the rest of the tenth where they stood is lost";
}

// A resume once started the modules' clocks at the time the show stopped, rounded down to the
// tenth: started from standing they fired again every cue of that tenth fired before the stop,
// and after the end the finale.
TEST_F(PlayerAutonomous, F5AfterAStopOrAfterTheEndFiresNoMemoryCueTwice)
{
    WriteShow(Every(500, 30, 40));  // three or four cues in every tenth
    std::vector<TChannel> fired;
    Start(0);
    TWatch watch = Watch(TickClock(0), 2000, [this](uint32_t ms) {
        if (ms == 1045)
            Player().Stop(false);
    });
    ASSERT_FALSE(Player().IsRunning());
    fired = watch.shots;
    // The report counts as fired what the modules surely fired before the stop; a cue in the
    // stop's last few milliseconds may have fired or not and is reported missed, so that an
    // unfired item is never taken for fired (it once counted cues the stop came before).
    const std::set<TChannel> firstReport = ReportedMemoryShots();
    const std::set<TChannel> firedBefore(fired.begin(), fired.end());
    EXPECT_TRUE(std::includes(firedBefore.begin(), firedBefore.end(), firstReport.begin(), firstReport.end()));
    EXPECT_LE(firedBefore.size() - firstReport.size(), 2u) << "only the stop's last 20 ms are in doubt";

    const int32_t resumeAt = Player().CurrentTime();
    Start(resumeAt);
    watch = Watch(TickClock(resumeAt), 3000);
    EXPECT_LE(watch.worstAhead, 0);
    EXPECT_LE(watch.worstEarly, 0);
    EXPECT_EQ(ReportedMemoryShots(), std::set<TChannel>(watch.shots.begin(), watch.shots.end()));
    fired.insert(fired.end(), watch.shots.begin(), watch.shots.end());
    EXPECT_TRUE(Twice(fired).empty());
    EXPECT_GE(fired.size(), cueTimes.size() - 3) << "at most the rest of the stop's tenth passed";

    ASSERT_EQ(Player().CurrentTime(), 1670) << "the end leaves the clock at the last cue";
    Start(Player().CurrentTime());
    watch = Watch(TickClock(1670), 3000);
    EXPECT_TRUE(watch.shots.empty()) << "the finale again";
    EXPECT_EQ(show->Shots().size(), fired.size());
}

// Memory once kept times rounded down to its steps: a module fired a cue at 1003 ms as its own
// clock read 1002 (1000 with 10 ms steps), before the show could have reached it.
TEST_F(PlayerAutonomous, TimesOffTheFineStepsFireNoEarlierAndSalvosAsOne)
{
    FireTimesOffTheSteps();
}

TEST_F(PlayerAutonomousPlainMemory, TimesOffThe10MsStepsFireNoEarlierAndSalvosAsOne)
{
    FireTimesOffTheSteps();
}

// Kept rounded up, a cue 1 ms before a tenth lies in memory on that tenth: the modules must
// start after it, and a start on it fires it, which the report must count.
TEST_F(PlayerAutonomous, ACueKeptOnTheNextTenthStaysBeforeTheStartPointOrFiresAtTheStart)
{
    WriteShow({4899, 5000, 5010, 5500});
    Player().SetOffset(-300);  // the modules start once the show reaches the tenth allowed
    Player().SetStartPoint(5000, Player().NextCue());
    auto clock = TickClock(5000);
    Start(5000);
    TWatch watch = Watch(clock, 3000);
    EXPECT_LE(watch.worstEarlyOnModule, 0);
    EXPECT_EQ(watch.shots, (std::vector<TChannel>{{2, 0}, {1, 1}, {2, 1}}))
        << "not the one at 4899";
    const auto frames = show->Sent(0x90);
    ASSERT_FALSE(frames.empty());
    EXPECT_EQ(Head(frames[0]), Bytes({0x90, 0, 50, 0x80, 0, 0})) << "5000 ms, after 4900";

    WriteShow({4850, 4899, 5000, 5500});
    Player().SetStartPoint(4899, Player().NextCue());
    clock = TickClock(4899);
    Start(4899);
    watch = Watch(clock, 3000);
    EXPECT_LE(watch.worstEarlyOnModule, 0);
    EXPECT_EQ(watch.shots, (std::vector<TChannel>{{2, 0}, {1, 1}, {2, 1}}));
    EXPECT_EQ(ReportedMemoryShots(), std::set<TChannel>(watch.shots.begin(), watch.shots.end()))
        << "the cue at 4899 fired as the modules started at 4900";
}

}  // namespace
}  // namespace kvtest
