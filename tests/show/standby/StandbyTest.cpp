// A standby station following the primary's show on the same line and taking it over, on
// virtual time. Both are the player the console creates; the primary dies as a killed
// process does: nothing more leaves it, not even the shots already handed to its port.
#include "rigs/PlayerSetup.h"
#include "rigs/VirtualShow.h"
#include "show/standby/HeldPlatform.h"

#include "devices/memory/ModuleTransfer.h"
#include "field/bus/FieldPort.h"
#include "field/bus/WireFrame.h"
#include "link/PortProto.h"
#include "show/player/bus/StandbyWatch.h"
#include "show/standby/Standby.h"
#include "support/platform/Platform.h"

#include <algorithm>
#include <climits>
#include <map>
#include <optional>
#include <string>
#include <utility>

namespace kvtest {
namespace {

// A gap longer than the silence allowed, in which only the status answers are heard.
constexpr const char* kShow =
    "0.500 1 1\n0.500 1 2\n1.000 2 1\n3.000 2 2\n3.200 1 3\n4.000 1 4\n";

// Cues every 100 ms from 0.5 s to 2.8 s: the standby asks nothing while one may be on the line.
std::string DenseShow()
{
    std::string text;
    for (int i = 0; i < 24; ++i) {
        const int ms = 500 + 100 * i;
        text += std::to_string(ms / 1000) + "." + std::to_string(ms % 1000 / 100) + "00 " +
                std::to_string(1 + i % 2) + " " + std::to_string(1 + i / 2) + "\n";
    }
    return text;
}

class Standby : public VirtualShow {
protected:
    // The primary's timers can be held: its own, and those it makes.
    Standby()
    {
        kv::InstallPlatform(&held);
        held.BeginGroup();
    }
    ~Standby() override
    {
        pump_.reset();
        standby.reset();
        standbyPlayer.reset();
        standbyRegistry.reset();
        standbyPort.reset();
        show.reset();
    }
    void SetUp() override { Build(kv::kControlDirect); }

    void Build(uint8_t controlMode, std::optional<uint8_t> standbyMode = std::nullopt,
               const std::string& text = kShow)
    {
        pump_.reset();
        standby.reset();
        standbyPlayer.reset();
        standbyRegistry.reset();
        standbyPort.reset();
        show = std::make_unique<TShowField>(std::make_shared<kv::TPlatformFieldClock>());
        show->field->SetConverterCount(2);
        show->field->ShareLine(1, 0);
        show->converters = {0};
        show->AddModule(Module(1));
        show->AddModule(Module(2));
        show->Connect();
        show->LoadScenario(text);
        Reconfigure(Player(), &kv::TShowSetup::controlMode, controlMode);
        Player().LaunchState = [this] { return Player().IsRunning() ? 2 : 1; };
        show->port->OnFrameFrom = [this](const kv::TFrameRecord& frame, int) {
            Player().HandleMessage(frame);
        };
        held.EndGroup();
        platform.randomValue = standbyDraw;
        standbyPort = std::make_unique<kv::TPortProto>(
            std::make_unique<kv::TFieldPort>(show->field, 16, std::vector<int>{1}));
        platform.randomValue = 0;
        ASSERT_TRUE(standbyPort->Reopen());
        standbyScenario.Load(show->folder.Write("standby.txt", text));
        standbyRegistry = std::make_unique<kv::TControls>(*standbyPort);
        for (int address : {1, 2})
            standbyRegistry->AddOrRefresh(address, 0);
        standbyPlayer = std::make_unique<kv::TExtPlayer>(*standbyRegistry, *standbyPort);
        kv::TShowSetup setup = standbyPlayer->Setup();
        setup.scenario = &standbyScenario;
        setup.controlMode = standbyMode.value_or(controlMode);
        ASSERT_TRUE(standbyPlayer->Configure(setup));
        standbyPlayer->LaunchState = [this] { return standbyPlayer->IsRunning() ? 2 : 1; };
        standby = std::make_unique<kv::TStandby>(*standbyPlayer, *standbyPort, kv::TStandbySetup{});
        standbyPort->OnFrameFrom = [this](const kv::TFrameRecord& frame, int) {
            standby->Hear(frame);
        };
        standby->OnTakeover = [this] { verdicts.push_back(platform.TickCount()); };
        verdicts.clear();
        show->field->ClearRecord();
        primaryAlive_ = standbyHears_ = true;
        primaryHeld_ = false;
        pump_ = kv::Platform().CreateTimer([this] {
            if (primaryAlive_ && !primaryHeld_) {
                held.BeginGroup();
                show->port->Cycle();
                held.EndGroup();
            }
            if (standbyHears_)
                standbyPort->Cycle();
        });
        pump_->SetInterval(5);
        pump_->SetEnabled(true);
        standby->Arm();
        held.BeginGroup();
    }
    const kv::TStandbyFollower& Follower() { return *standby->Follower(); }
    // On the field: every cue fired once, by either station, none before its time but a shot
    // by key.
    void ExpectEveryCueOnceNoneEarly(uint32_t start, std::pair<int, int> byKey = {-1, -1})
    {
        const auto cues = standbyScenario.Cues();
        std::map<std::pair<int, int>, int> shots;
        for (const kv::TShotEntry& shot : show->Shots()) {
            const std::pair<int, int> channel{shot.address, shot.channel};
            ++shots[channel];
            const auto cue = std::find_if(cues.begin(), cues.end(), [&](const kv::TCue& c) {
                return std::make_pair(c.module, c.channel) == channel;
            });
            if (channel != byKey && cue != cues.end()) {
                EXPECT_GE(Since(start, shot.Tick()), cue->time) << cue->time;
            }
        }
        for (const kv::TCue& cue : cues)
            EXPECT_EQ((shots[{cue.module, cue.channel}]), 1) << cue.time;
    }
    // A primary stopped meanwhile (by another station's stop, say) stands where it stopped.
    void AdvanceToPrimaryTime(int32_t time)
    {
        while (Player().IsRunning() && PrimaryTime(platform.TickCount()) < time)
            AdvanceWatching(5);
        ASSERT_TRUE(Player().IsRunning());
    }

    void KillPrimary()
    {
        deathTime_ = PrimaryTime(platform.TickCount());
        deathTick_ = platform.TickCount();
        primaryAlive_ = false;
        show->port->DropTimed();
        show->player.reset();
    }
    // As a stopped process: no timer of it calls, nothing read from its line, nothing sent
    // by it, handed to its port ahead included. Let go, it finds its timers due at once,
    // before it reads what came meanwhile.
    void HoldPrimary(uint32_t ms)
    {
        primaryHeld_ = true;
        held.Hold();
        AdvanceWatching(ms);
        primaryHeld_ = false;
        held.LetGo();
    }
    // The standby's timers only: it reads nothing from the line meanwhile.
    void HoldStandby(uint32_t ms)
    {
        standbyHears_ = false;
        held.Hold(false);
        AdvanceWatching(ms);
        held.LetGo();
        standbyHears_ = true;
    }
    void DeafenStandby()
    {
        show->field->Unplug(1, show->field->ElapsedMs());
        standbyHears_ = false;  // its port thread would be trying to reopen
    }
    int32_t PrimaryTime(uint32_t now)
    {
        if (!primaryAlive_)
            return deathTime_ + static_cast<int32_t>(now - deathTick_);
        return Player().ClockLook(now).time;
    }
    // Steps through ms of virtual time; the most the prediction was ahead of the primary's
    // running clock on the way (INT_MIN: none to compare).
    int32_t AdvanceWatching(uint32_t ms)
    {
        int32_t mostAhead = INT_MIN;
        for (uint32_t step = 0; step < ms; step += 5) {
            platform.Advance(5);
            const uint32_t now = platform.TickCount();
            if (primaryAlive_ && !Player().IsRunning())
                continue;
            if (!standby->Follower())
                continue;
            if (const auto predicted = Follower().PredictedTime(now))
                mostAhead = std::max(mostAhead, *predicted - PrimaryTime(now));
        }
        return mostAhead;
    }

    THeldPlatform held{platform};
    uint32_t standbyDraw = 41;  // the primary draws 0: the two stations' numbers differ
    std::unique_ptr<kv::TPortProto> standbyPort;
    kv::TProjectList standbyScenario;
    std::unique_ptr<kv::TControls> standbyRegistry;
    std::unique_ptr<kv::TExtPlayer> standbyPlayer;
    std::unique_ptr<kv::TStandby> standby;
    std::vector<uint32_t> verdicts;

private:
    bool primaryAlive_ = true;
    bool primaryHeld_ = false;
    bool standbyHears_ = true;
    int32_t deathTime_ = 0;
    uint32_t deathTick_ = 0;
    std::unique_ptr<kv::TTimer> pump_;
};

// A shot by key of a later cue's channel marks it fired but must not move the clock ahead.
TEST_F(Standby, FollowsAShowToItsEndNeverAheadOfItAndGivesNoVerdict)
{
    Start(0);
    int32_t mostAhead = AdvanceWatching(1500);
    EXPECT_EQ(Follower().Show(), kv::TFollowedShow::Running);
    EXPECT_EQ(Follower().PrimaryId(), show->port->StationId());
    EXPECT_EQ(Follower().ResumeCue(), 3);
    const int32_t lag = PrimaryTime(platform.TickCount()) - *Follower().PredictedTime(platform.TickCount());
    EXPECT_LE(lag, 150) << "followed from the last shot heard";
    Player().FireByHand(1, 2, [](bool) {});
    mostAhead = std::max(mostAhead, AdvanceWatching(3500));
    EXPECT_FALSE(Player().IsRunning());
    EXPECT_LE(mostAhead, 0);
    for (int32_t cue = 0; cue < 6; ++cue)
        EXPECT_TRUE(Follower().HeardFired(cue)) << cue;
    EXPECT_EQ(Follower().Show(), kv::TFollowedShow::Stopped);
    AdvanceWatching(2000);
    EXPECT_TRUE(verdicts.empty());
}

// Its queries would crowd the primary's bus search before the show, and during it meet the
// primary's fire frames on the line, garbling both; too few, and the primary would not know
// that a standby follows it.
TEST_F(Standby, AsksThePrimarysStatusSeldomUntilAShowRunsAndNeverAsACueFalls)
{
    const auto queries = [this] {
        std::vector<uint32_t> ticks;
        for (const kv::TFrameEntry& frame : show->field->Frames())
            if (frame.converter == 1 && frame.bytes.size() == 7 && frame.bytes[0] == 0x03)
                ticks.push_back(frame.Tick());
        return ticks;
    };
    AdvanceWatching(3000);
    const auto idle = queries();
    ASSERT_EQ(idle.size(), 3u);
    // Asked twice within a second, with room for a late timer, the primary knows it is followed.
    EXPECT_LE(idle[2] - idle[1], 900u);
    // The primary's bus search: the standby keeps off the line meanwhile.
    const uint32_t searching = platform.TickCount();
    const int64_t fieldMs = show->field->ElapsedMs();
    for (int64_t ms = 0; ms < 2000; ms += 60)
        show->field->InjectFrame(0, fieldMs + ms, kv::MakeWireFrame(0x80, 0, 1, 2, 3, 1));
    AdvanceWatching(2000);
    for (const uint32_t query : queries())
        EXPECT_FALSE(query > searching && query < searching + 2000) << query - searching;
    show->field->ClearRecord();
    Start(0);
    AdvanceWatching(4500);
    const auto asked = queries();
    EXPECT_GE(asked.size(), 12u) << "the gap from 1 s to 3 s";
    for (const kv::TFrameEntry& frame : show->field->Frames())
        if (frame.converter == 0 && frame.bytes[0] == 0x84)
            for (const uint32_t query : asked)
                EXPECT_GT(std::abs(static_cast<int64_t>(query) - frame.Tick()), 20) << query;
}

// Armed after the primary's start (or its start garbled on the line), the standby learns of
// the show from the shots it hears and the primary's answer: what was fired stays fired.
TEST_F(Standby, AStartNotHeardStillLeavesEveryCueFiredOnce)
{
    standby->Disarm();
    Start(0);
    for (int step = 0; step < 60; ++step)
        platform.Advance(5);
    standby->Arm();
    AdvanceWatching(1700);
    KillPrimary();
    AdvanceWatching(4000);
    ASSERT_EQ(verdicts.size(), 1u);
    std::map<std::pair<int, int>, int> shots;
    for (const kv::TShotEntry& shot : show->Shots())
        ++shots[{shot.address, shot.channel}];
    for (const kv::TCue& cue : standbyScenario.Cues())
        EXPECT_EQ((shots[{cue.module, cue.channel}]), 1) << cue.time;
}

TEST_F(Standby, APrimaryKilledMidShowIsFoundSilentOnceAndPredictedBehindItsClock)
{
    for (uint8_t mode : {kv::kControlDirect, kv::kControlAutonomous}) {
        SCOPED_TRACE(mode);
        Build(mode);
        Start(0);
        int32_t mostAhead = AdvanceWatching(1100);
        const uint32_t killed = platform.TickCount();
        KillPrimary();
        mostAhead = std::max(mostAhead, AdvanceWatching(1000));
        ASSERT_EQ(verdicts.size(), 1u);
        // 300 ms after the last answer heard, which came up to a query's interval before.
        EXPECT_GE(verdicts[0] - killed, 300u - 75u);
        EXPECT_LE(verdicts[0] - killed, 300u + 75u);
        EXPECT_EQ(Follower().Show(), kv::TFollowedShow::Silent);
        EXPECT_LE(mostAhead, 0);
        EXPECT_GE(*Follower().PredictedTime(killed), 1100 - 200);
        EXPECT_EQ(Follower().ResumeCue(), 3) << "the cues up to 1 s were fired or played";
        EXPECT_EQ(Follower().PrimaryControlMode(), mode);
    }
}

TEST_F(Standby, NoTakeoverOfAShowNotStartedOrStoppedNorWithItsOwnLineDownOrAnotherMode)
{
    KillPrimary();  // an idle primary gone
    AdvanceWatching(1000);
    EXPECT_EQ(Follower().Show(), kv::TFollowedShow::None);
    EXPECT_TRUE(verdicts.empty());

    Build(kv::kControlDirect);
    Start(0);
    AdvanceWatching(700);
    Player().Stop(false);
    KillPrimary();
    AdvanceWatching(1000);
    EXPECT_EQ(Follower().Show(), kv::TFollowedShow::Stopped);
    EXPECT_TRUE(verdicts.empty());

    Build(kv::kControlDirect);
    Start(0);
    AdvanceWatching(700);
    DeafenStandby();
    AdvanceWatching(1000);
    EXPECT_EQ(Follower().Show(), kv::TFollowedShow::Running);
    EXPECT_TRUE(verdicts.empty());

    // Fired from here while the modules play their memory, every cue would go twice.
    Build(kv::kControlAutonomous, kv::kControlDirect);
    Start(0);
    AdvanceWatching(700);
    KillPrimary();
    AdvanceWatching(1000);
    EXPECT_EQ(Follower().Show(), kv::TFollowedShow::Silent);
    EXPECT_TRUE(verdicts.empty());
    EXPECT_FALSE(standbyPlayer->IsRunning());
}

// In direct control the standby fires the cues not heard fired, the one due as the primary
// died late, and none heard fired, a shot by key of a later cue among them; in autonomous control the modules play on and are told the time again,
// set back a little, which fires nothing twice.
TEST_F(Standby, EveryCueFiresOnceAndNoneEarlyWhenThePrimaryIsKilledMidShow)
{
    const std::pair<int, int> byKey{1, 2};  // the cue at 3.2 s
    for (uint8_t mode : {kv::kControlDirect, kv::kControlAutonomous}) {
        SCOPED_TRACE(mode);
        Build(mode);
        if (mode == kv::kControlAutonomous) {
            ASSERT_EQ(kv::TModuleTransfer(*show->registry).WriteScenario(kv::TCueView(show->scenario.Cues())), 0);
            show->field->ClearRecord();
        }
        const uint32_t start = Start(0);
        AdvanceWatching(800);
        if (mode == kv::kControlDirect)
            Player().FireByHand(byKey.first, byKey.second, [](bool) {});
        AdvanceToPrimaryTime(950);
        KillPrimary();  // the cue at 1 s not yet fired: the standby fires it late
        AdvanceWatching(5000);
        ASSERT_EQ(verdicts.size(), 1u);
        EXPECT_FALSE(standbyPlayer->IsRunning()) << "it ends the show as its own";

        ExpectEveryCueOnceNoneEarly(start, byKey);
        if (mode == kv::kControlDirect) {
            const auto& records = standbyPlayer->FiringReport().Records();
            ASSERT_EQ(records.size(), 6u);
            for (size_t cue : {0u, 1u, 4u})
                EXPECT_EQ(records[cue].outcome, kv::TCueOutcome::Elsewhere) << cue;
            for (size_t cue : {2u, 3u, 5u})
                EXPECT_EQ(records[cue].outcome, kv::TCueOutcome::Fired) << cue;
        }
    }
}

// Held up past the standby's patience (a process stopped and resumed), the primary comes
// back to find the standby running its show: it fires nothing more, neither a cue due during
// the hold-up nor the shot its port held when it stopped, and tells the modules nothing, no
// stop either; its operator's stop still stops both. Held up briefly, it asks the standby and
// goes on as soon as it answers.
TEST_F(Standby, APrimaryBackFromAHoldUpNeverFiresWhatTheStandbyFires)
{
    struct THoldUp {
        uint8_t mode;
        int32_t at;  // the primary's show time
        uint32_t ms;
        bool dense = false;  // the standby last asked 1.5 s before
    };
    // At 975 ms the shot at 1 s waits at the port; after 600 ms that cue is late, not too late.
    for (const THoldUp hold : {THoldUp{kv::kControlDirect, 975, 1500}, THoldUp{kv::kControlDirect, 900, 600},
                               THoldUp{kv::kControlAutonomous, 975, 1500},
                               THoldUp{kv::kControlDirect, 2000, 600, true}}) {
        SCOPED_TRACE(hold.ms);
        Build(hold.mode, std::nullopt, hold.dense ? DenseShow() : kShow);
        if (hold.mode == kv::kControlAutonomous) {
            ASSERT_EQ(kv::TModuleTransfer(*show->registry).WriteScenario(kv::TCueView(show->scenario.Cues())), 0);
            show->field->ClearRecord();
        }
        const uint32_t start = Start(0);
        AdvanceToPrimaryTime(hold.at);
        HoldPrimary(hold.ms);
        ASSERT_EQ(verdicts.size(), 1u);
        AdvanceWatching(5000);
        EXPECT_FALSE(Player().IsRunning());
        EXPECT_TRUE(Logged("Шоу ведёт резервная станция: эта станция остановлена без команды остановки, станция: " +
                           std::to_string(standbyPort->StationId())));
        ExpectEveryCueOnceNoneEarly(start);
        // It heard the standby fire what it gave up: nothing it reports stopped before.
        if (hold.mode == kv::kControlDirect) {
            const auto& records = Player().FiringReport().Records();
            EXPECT_TRUE(std::none_of(records.begin(), records.end(), [](const kv::TCueRecord& r) {
                return r.reason == kv::TMissReason::StoppedBefore;
            }));
            EXPECT_TRUE(std::any_of(records.begin(), records.end(), [](const kv::TCueRecord& r) {
                return r.outcome == kv::TCueOutcome::Elsewhere;
            }));
        }
        if (hold.at == 975 && hold.mode == kv::kControlDirect) {
            const kv::TCueRecord& held = Player().FiringReport().Records()[2];
            EXPECT_EQ(held.outcome, kv::TCueOutcome::Missed) << "not sent, the converter never lost";
            EXPECT_EQ(held.reason, kv::TMissReason::TooLate);
        }
    }

    Build(kv::kControlDirect);
    Start(0);
    AdvanceToPrimaryTime(975);
    HoldPrimary(1500);
    AdvanceWatching(100);
    ASSERT_TRUE(standbyPlayer->IsRunning());
    Player().Stop(false);
    AdvanceWatching(100);
    EXPECT_FALSE(standbyPlayer->IsRunning());

    Build(kv::kControlDirect);
    const uint32_t start = Start(0);
    AdvanceToPrimaryTime(860);
    HoldPrimary(150);
    AdvanceWatching(5000);
    EXPECT_TRUE(verdicts.empty());
    ExpectEveryCueOnceNoneEarly(start);
    const std::vector<kv::TShotEntry> shots = show->Shots();
    const auto late = std::find_if(shots.begin(), shots.end(), [](const kv::TShotEntry& shot) {
        return shot.address == 2 && shot.channel == 0;
    });
    ASSERT_NE(late, shots.end());
    EXPECT_LE(Since(start, late->Tick()), 1000 + 100) << "on the standby's answer, not after the wait";

    // No standby follows: the shot that waited at the port out the hold-up goes late, within
    // the lateness limit, as on any PC held up for a moment.
    Build(kv::kControlDirect);
    standby->Disarm();
    const uint32_t alone = Start(0);
    AdvanceToPrimaryTime(975);
    HoldPrimary(300);
    AdvanceWatching(5000);
    ExpectEveryCueOnceNoneEarly(alone);
    EXPECT_EQ(Player().FiringReport().Records()[2].outcome, kv::TCueOutcome::Fired);
}

// Twice held up within seconds, the primary asked the standby twice, as a standby asks: the
// standby, master after the primary died, has no standby of its own to wait for when it is
// held up in turn: its cues go late by the hold-up alone, none waits on an answer nor is
// dropped for another to fire.
TEST_F(Standby, AStandbyThatTookOverIsFollowedByNoOne)
{
    const uint32_t start = Start(0);
    AdvanceToPrimaryTime(600);
    HoldPrimary(150);
    AdvanceToPrimaryTime(1500);
    HoldPrimary(150);
    ASSERT_TRUE(verdicts.empty());
    AdvanceToPrimaryTime(2100);
    KillPrimary();
    AdvanceWatching(600);
    ASSERT_EQ(verdicts.size(), 1u);
    ASSERT_TRUE(standbyPlayer->IsRunning());
    AdvanceWatching(2900 - PrimaryTime(platform.TickCount()));
    HoldStandby(300);
    AdvanceWatching(3000);
    ExpectEveryCueOnceNoneEarly(start);
    // Waiting on no answer would make it later still.
    const kv::TCueRecord& held = standbyPlayer->FiringReport().Records()[3];
    EXPECT_LT(held.Lateness(), 300 + static_cast<int32_t>(kv::TStandbyWatch::kAnswerMs) / 2);
}

// Both stations drew one number: the standby takes another, or the primary's frames would
// pass for its own and it would follow nothing (seen on the simulated field, 7 cues lost).
TEST_F(Standby, AStandbyThatDrewThePrimarysNumberTakesAnother)
{
    standbyDraw = 0;
    Build(kv::kControlDirect);
    const int primary = show->port->StationId();
    ASSERT_EQ(standbyPort->StationId(), primary);
    const uint32_t start = Start(0);
    AdvanceToPrimaryTime(1100);
    KillPrimary();
    AdvanceWatching(4000);
    EXPECT_NE(standbyPort->StationId(), primary);
    EXPECT_EQ(Follower().PrimaryId(), primary);
    EXPECT_EQ(verdicts.size(), 1u);
    ExpectEveryCueOnceNoneEarly(start);
}

}  // namespace
}  // namespace kvtest
