// Direct control on virtual time: each shot leaves at the very millisecond the show clock
// reaches its cue, not at the next 25 ms tick, and never before.
#include "rigs/VirtualPlayback.h"
#include "rigs/VirtualShow.h"

#include "rigs/SoundtrackFiles.h"
#include "devices/kinds/HVControl.h"
#include "field/bus/FieldRecord.h"
#include "show/player/run/ShowClock.h"

#include <algorithm>
#include <map>
#include <optional>

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
        show->AddModule(Module(3, kv::TModuleKind::Motor));
        show->AddModule(Module(5, kv::TModuleKind::HighVoltage));
        // Before the player's timers: at each tick it hears the music before they run.
        listener_ = platform.CreateTimer([this] {
            heard_[Since(heardFrom_, platform.TickCount())] = Player().Soundtrack().HeardMs();
        });
        listener_->SetInterval(1);
        show->Connect();
    }
    // Channels 0..2 of the high-voltage module charge to 100, 200 and 300 V.
    void MeasureCharges()
    {
        auto& highVoltage = show->Device<kv::THVControl>(5);
        highVoltage.hvSetting = 1;
        for (int channel = 0; channel < 3; ++channel) {
            const int volts = 100 * (channel + 1);
            ASSERT_EQ(highVoltage.ClassifyChannel(channel, volts * volts / 10.0, {}), 0);
        }
    }
    // The charges the high-voltage module's shots carried for their next, in the order sent.
    std::vector<int> CarriedCharges()
    {
        std::vector<int> carried;
        for (const kv::TFrameEntry& frame : show->Sent(0x84))
            if (frame.bytes[5] == 5 && frame.bytes[1] != 0)
                carried.push_back((frame.bytes[3] & 0x7F) * 128 + frame.bytes[4]);
        return carried;
    }
    // The music heard at each tick since start, as that tick began, until the show stops.
    std::map<int32_t, int64_t> RunHearing(uint32_t start)
    {
        heard_.clear();
        heardFrom_ = start;
        listener_->SetEnabled(true);
        platform.AdvanceUntil([this] { return !Player().IsRunning(); }, 5000);
        listener_->SetEnabled(false);
        return heard_;
    }
    static int64_t HeardAt(const std::map<int32_t, int64_t>& heard, int32_t tick)
    {
        const auto at = heard.find(tick);
        return at == heard.end() ? -1 : at->second;
    }
    // The tick at which the show clock read from (the first high-voltage charge goes before).
    uint32_t ClockStart(int32_t from)
    {
        std::optional<uint32_t> start;
        Player().OnTime = [&](int32_t time) {
            if (!start)
                start = platform.TickCount() - static_cast<uint32_t>(time - from);
        };
        platform.AdvanceUntil([&] { return start.has_value(); }, 1000);
        Player().OnTime = nullptr;
        return start.value_or(0);
    }

    std::unique_ptr<kv::TTimer> listener_;
    std::map<int32_t, int64_t> heard_;
    uint32_t heardFrom_ = 0;
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
        Player().SetStartPoint(0, Player().NextCue());
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
    const int32_t stoppedAt = Player().CurrentTime();
    const uint32_t stopped = LastFrameTick();
    platform.Advance(200);
    EXPECT_EQ(FireFrames().size(), 1u);
    EXPECT_EQ(LastFrameTick(), stopped) << "a frame after the stop frames";
    EXPECT_EQ(Player().FiringReport().Records()[1].outcome, kv::TCueOutcome::Missed);
    EXPECT_FALSE(Logged("Запуск, пульт: 2, канал: 1"));

    const uint32_t resumed = Start(Player().CurrentTime());
    ASSERT_TRUE(RunUntilStopped(3000));
    const std::vector<TFireFrame> frames = FireFrames();
    ASSERT_EQ(frames.size(), 2u) << "the first cue not again";
    EXPECT_EQ(frames[1].module, 2);
    EXPECT_EQ(Since(resumed, frames[1].tick), 1030 - stoppedAt);
}

// The heard music may stand still at any moment: a shot handed over ahead on its pace would
// leave before its sound. Each shot is decided on a reading of the heard music taken at its
// moment, on a sound card a little slower than the system clock and across a stall of the
// output alike. (Shots once left on the first 25 ms tick that heard their moment: up to 25 ms
// after their sound; the bound below pins the millisecond.)
TEST_F(PlayerDueMoment, FollowingTheHeardMusicEachShotLeavesTheMillisecondItsSoundIsHeard)
{
    kv::TSoundtrackFolder folder;
    TVirtualSoundOutput output(80, {.perMille = 997, .stallAtMs = 1020, .stallMs = 300});
    ASSERT_TRUE(Player().LoadSoundtrack(folder.Make("track.wav", 3, "")));
    const std::vector<int32_t> times = {1000, 1013, 1049, 1262, 2007};
    show->LoadScenario(Scenario(times, 1));
    const uint32_t start = Start(0);
    const std::map<int32_t, int64_t> heard = RunHearing(start);
    const std::vector<TFireFrame> frames = FireFrames();
    ASSERT_EQ(frames.size(), times.size());
    for (size_t i = 0; i < times.size(); ++i) {
        SCOPED_TRACE(times[i]);
        const int64_t heardAtShot = HeardAt(heard, Since(start, frames[i].tick));
        EXPECT_GE(heardAtShot, times[i]) << "ahead of its sound";
        EXPECT_LE(heardAtShot, times[i] + 1) << "not at the millisecond that heard it";
    }
}

// A cue at the start point leaves when the first sample is heard, not on the next tick.
TEST_F(PlayerDueMoment, ACueAtTheStartPointLeavesWhenTheFirstSampleIsHeard)
{
    kv::TSoundtrackFolder folder;
    TVirtualSoundOutput output(80);
    ASSERT_TRUE(Player().LoadSoundtrack(folder.Make("track.wav", 3, "")));
    show->LoadScenario("1 1 1\n");
    const uint32_t start = Start(1000);
    ASSERT_TRUE(RunUntilStopped(3000));
    const std::vector<TFireFrame> frames = FireFrames();
    ASSERT_EQ(frames.size(), 1u);
    // The clock starts a millisecond late rather than early: the first reading's
    // millisecond was partly gone.
    EXPECT_GE(Since(start, frames[0].tick), 80);
    EXPECT_LE(Since(start, frames[0].tick), 81);
}

// The cue timer is set on one reading of the music; the output runs dry before it comes. The
// shot waits for the sound, and leaves the millisecond the music is heard again at its cue.
TEST_F(PlayerDueMoment, AStallOfTheMusicBetweenTwoReadingsHoldsTheShot)
{
    kv::TSoundtrackFolder folder;
    for (const int64_t stallAt : {1005, 1015, 1019}) {
        SCOPED_TRACE(stallAt);
        show->field->ClearRecord();
        TVirtualSoundOutput output(80, {.stallAtMs = stallAt, .stallMs = 310});
        ASSERT_TRUE(Player().LoadSoundtrack(folder.Make("track.wav", 2, "")));
        show->LoadScenario("1.02 1 1\n");
        Player().SetStartPoint(0, Player().NextCue());
        const uint32_t start = Start(0);
        const std::map<int32_t, int64_t> heard = RunHearing(start);
        const std::vector<TFireFrame> frames = FireFrames();
        ASSERT_EQ(frames.size(), 1u);
        EXPECT_GE(HeardAt(heard, Since(start, frames[0].tick)), 1020) << "ahead of its sound";
        EXPECT_GE(Since(start, frames[0].tick), 80 + 1020 + 310);
        EXPECT_LE(Since(start, frames[0].tick), 80 + 1020 + 310 + 1);
    }
}

// Readings of the music 300 ms too far for 30 ms (a misread latency): the clock once took
// them and fired every cue of those 300 ms at once, up to 290 ms before its sound. It goes on
// at its own pace through them, and each shot leaves when its sound is heard.
TEST_F(PlayerDueMoment, ASpellOfReadingsAheadOfTheMusicFiresNoCueAheadOfItsSound)
{
    kv::TSoundtrackFolder folder;
    TVirtualSoundOutput output(80, {.misreadAtMs = 1000, .misreadForMs = 30, .misreadAheadMs = 300});
    ASSERT_TRUE(Player().LoadSoundtrack(folder.Make("track.wav", 3, "")));
    const std::vector<int32_t> times = {1010, 1029, 1100, 1250, 1290, 1400};
    show->LoadScenario(Scenario(times, 2));
    const uint32_t start = Start(0);
    ASSERT_TRUE(RunUntilStopped(5000));
    const std::vector<TFireFrame> frames = FireFrames();
    ASSERT_EQ(frames.size(), times.size());
    for (size_t i = 0; i < times.size(); ++i) {
        SCOPED_TRACE(times[i]);
        // The sound of times[i] is heard 80 ms (the latency) after it in the music.
        EXPECT_GE(Since(start, frames[i].tick), 80 + times[i]) << "ahead of its sound";
        EXPECT_LE(Since(start, frames[i].tick), 80 + times[i] + 1);
    }
}

// The show joined the music at its position to the nearest millisecond, up to half a
// millisecond past what was heard: a cue at that millisecond left at once, before its sound.
TEST_F(PlayerDueMoment, JoiningTheMusicFiresNoCueAheadOfItsSound)
{
    kv::TSoundtrackFolder folder;
    TVirtualSoundOutput output(0);
    ASSERT_TRUE(Player().LoadSoundtrack(folder.Make("track.wav", 3, "")));
    show->LoadScenario("1.001 1 1\n");
    const uint32_t played = platform.TickCount();
    Player().Soundtrack().PlayFrom(0);
    platform.Advance(1001);
    ASSERT_EQ(Player().Soundtrack().TimePosition(), 1001) << "1000.998 ms heard";
    Player().StartFromSoundtrack();
    ASSERT_TRUE(RunUntilStopped(3000));
    const std::vector<TFireFrame> frames = FireFrames();
    ASSERT_EQ(frames.size(), 1u);
    // 1001 ms of music is heard within the 1002nd millisecond of the play (44.1 samples each).
    EXPECT_GE(Since(played, frames[0].tick), 1002) << "ahead of its sound";
    EXPECT_LE(Since(played, frames[0].tick), 1003);
}

// A stop while a cue waits for its sound: nothing leaves after the stop frames, and the
// resume fires the cue once.
TEST_F(PlayerDueMoment, AStopWhileACueAwaitsItsSoundSendsNothingAfterTheStopFrames)
{
    kv::TSoundtrackFolder folder;
    TVirtualSoundOutput output(80);
    ASSERT_TRUE(Player().LoadSoundtrack(folder.Make("track.wav", 3, "")));
    show->LoadScenario("1 1 1\n1.03 2 1\n");
    Start(0);
    platform.AdvanceUntil([&] { return Player().Soundtrack().HeardMs() >= 1010; }, 3000);
    ASSERT_EQ(FireFrames().size(), 1u);
    Player().Stop(true);
    const uint32_t stopped = LastFrameTick();
    platform.Advance(300);
    EXPECT_EQ(FireFrames().size(), 1u);
    EXPECT_EQ(LastFrameTick(), stopped) << "a frame after the stop frames";
    EXPECT_FALSE(Logged("Запуск, пульт: 2, канал: 1"));

    Start(Player().CurrentTime());
    ASSERT_TRUE(RunUntilStopped(3000));
    const std::vector<TFireFrame> frames = FireFrames();
    ASSERT_EQ(frames.size(), 2u) << "the first cue not again";
    EXPECT_EQ(frames[1].module, 2);
}

// A high-voltage shot carries the charge of the module's next: handed over ahead, taken back
// by an offset key and handed over again, each keeps its place in the charge sequence.
TEST_F(PlayerDueMoment, HighVoltageShotsLeaveAtTheirMillisecondCarryingTheNextCharge)
{
    MeasureCharges();
    show->LoadScenario("1.013 5 1\n1.013 1 1\n1.049 5 2\n2.007 5 3\n");
    Start(0);
    const uint32_t start = ClockStart(0);
    platform.AdvanceUntil([&] { return Since(start, platform.TickCount()) >= 1030; }, 2000);
    ASSERT_EQ(CarriedCharges().size(), 1u);
    Player().SetOffset(-20);  // the shot at 1049, handed over, now leaves at 1069
    ASSERT_TRUE(RunUntilStopped(5000));
    std::vector<TFireFrame> shots;
    for (const TFireFrame& frame : FireFrames())
        if (frame.channel >= 0)
            shots.push_back(frame);
    ASSERT_EQ(shots.size(), 4u);
    EXPECT_EQ(shots[0].module, 5) << "in scenario order";
    EXPECT_EQ(Since(start, shots[0].tick), 1013);
    EXPECT_EQ(shots[1].module, 1);
    EXPECT_EQ(Since(start, shots[2].tick), 1069);
    EXPECT_EQ(Since(start, shots[3].tick), 2027);
    EXPECT_EQ(CarriedCharges(), (std::vector<int>{200, 300, 1}));
    std::vector<int> used;
    for (const kv::TShotEntry& shot : show->Shots())
        if (shot.address == 5)
            used.push_back(shot.chargeVolts);
    EXPECT_EQ(used, (std::vector<int>{100, 200, 300}));
}

// A cue passed over at the same millisecond as a shot handed over before it: a key pressed
// just after must not take that shot back (it would go again behind the passed cue, with the
// next entry's charge, and the passed cue would be passed twice).
TEST_F(PlayerDueMoment, AKeyPressedAsAPassedCueComesTakesNoEarlierShotBack)
{
    MeasureCharges();
    show->LoadScenario("1.013\t5\t1\n1.013\t5\t2\t|1.013|Left|Comet\n2\t5\t3\n");
    ASSERT_TRUE(Player().LockPosition("Left", true));
    // Made after the player's timers and before the port's: it runs between the two.
    const std::unique_ptr<kv::TTimer> key = platform.CreateTimer([&] {
        key->SetEnabled(false);
        Player().SetOffset(-20);
    });
    Start(0);
    const uint32_t start = ClockStart(0);
    key->SetInterval(static_cast<uint32_t>(Since(platform.TickCount(), start + 1013)));
    key->SetEnabled(true);
    ASSERT_TRUE(RunUntilStopped(5000));
    const std::string passed = "Команда заблокированной позиции не выполнена, пульт: 5, канал: 2";
    EXPECT_EQ(std::count(platform.debugLines.begin(), platform.debugLines.end(), passed), 1);
    std::vector<TFireFrame> shots;
    for (const TFireFrame& frame : FireFrames())
        if (frame.channel >= 0)
            shots.push_back(frame);
    ASSERT_EQ(shots.size(), 2u);
    EXPECT_EQ(Since(start, shots[0].tick), 1013);
    EXPECT_EQ(CarriedCharges(), (std::vector<int>{200, 1}));
}

// In automatic and manual firing a key on a channel whose shot waits at the port for its
// moment: the key's shot takes that cue, and the waiting frame went out after it as well (two
// fire commands). The other shot waiting beside it still leaves at its millisecond.
TEST_F(PlayerDueMoment, AKeyOnAShotHandedOverAheadFiresTheChannelOnce)
{
    show->LoadScenario("1 1 1\n1.01 2 1\n2 1 2\n");
    Reconfigure(Player(), &kv::TShowSetup::firingMode, kv::kFiringBoth);
    const uint32_t start = Start(0);
    platform.Advance(990);
    ASSERT_TRUE(FireFrames().empty());
    std::vector<bool> done;
    Player().FireByHand(2, 0, [&](bool fired) { done.push_back(fired); });
    EXPECT_EQ(done, std::vector<bool>{true});
    ASSERT_TRUE(RunUntilStopped(5000));

    const std::vector<TFireFrame> frames = FireFrames();
    ASSERT_EQ(frames.size(), 3u);
    EXPECT_EQ(std::make_pair(frames[0].module, frames[0].channel), std::make_pair(2, 0));
    EXPECT_LT(Since(start, frames[0].tick), 1000) << "the key's shot at once";
    EXPECT_EQ(std::make_pair(frames[1].module, frames[1].channel), std::make_pair(1, 0));
    EXPECT_EQ(Since(start, frames[1].tick), 1000);
    EXPECT_EQ(Since(start, frames[2].tick), 2000);
    const auto& records = Player().FiringReport().Records();
    EXPECT_EQ(records[0].outcome, kv::TCueOutcome::Fired);
    EXPECT_EQ(records[1].outcome, kv::TCueOutcome::ByHand);
    EXPECT_FALSE(Logged("Запуск, пульт: 2, канал: 1")) << "the show's own line for it";
}

// A motor command waits for its reply, so the main thread sends it at its moment; a shot
// before it in the scenario, due at the same millisecond, still goes first.
TEST_F(PlayerDueMoment, AMotorCueLeavesAtItsMillisecondAfterTheShotBeforeIt)
{
    show->LoadScenario("1.013 1 1\n1.013 3 #C#50\n1.049 3 #L#50\n1.049 2 1\n");
    const uint32_t start = Start(0);
    ASSERT_TRUE(RunUntilStopped(5000));
    std::vector<kv::TFrameEntry> frames;
    for (const kv::TFrameEntry& frame : show->Sent())
        if (frame.bytes[0] == 0x84 || frame.bytes[0] == 0x8C)
            frames.push_back(frame);
    ASSERT_EQ(frames.size(), 4u);
    EXPECT_EQ(frames[0].bytes[5], 1);
    EXPECT_EQ(Since(start, kv::FieldTick(frames[0].startNs)), 1013);
    EXPECT_EQ(frames[1].bytes[0], 0x8C);
    EXPECT_LE(Since(start, kv::FieldTick(frames[1].startNs)), 1013 + 4) << "behind the shot";
    EXPECT_EQ(frames[2].bytes[0], 0x8C);
    EXPECT_EQ(Since(start, kv::FieldTick(frames[2].startNs)), 1049);
    EXPECT_EQ(frames[3].bytes[5], 2);
}

// The tempo key steps by one per mille: stepped down to 0 the clock stands. The show must
// stand with it, firing nothing further and still stopping, not end the console (the hand-over
// ahead divided by the tempo).
TEST_F(PlayerDueMoment, AtTempoZeroTheShowStandsAndStillStops)
{
    show->LoadScenario("1 1 1\n2 2 1\n");
    Start(0);
    platform.Advance(1010);
    ASSERT_EQ(FireFrames().size(), 1u);
    Player().SetTempo(0);
    platform.Advance(1500);
    EXPECT_TRUE(Player().IsRunning());
    EXPECT_EQ(FireFrames().size(), 1u);
    Player().Stop(false);
    EXPECT_FALSE(Player().IsRunning());
}

}  // namespace
}  // namespace kv
