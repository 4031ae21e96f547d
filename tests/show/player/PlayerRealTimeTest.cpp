// Short shows on the simulated field in real time, through the real port thread: the field
// record must hold the right frames, in the right order, none before its time.
#include "rigs/ShowField.h"

#include "devices/memory/ModuleTransfer.h"
#include "devices/memory/ScenarioCue.h"
#include "field/bus/FieldClock.h"
#include "field/bus/WireFrame.h"
#include "support/platform/QtPlatform.h"

#include <QCoreApplication>
#include <algorithm>
#include <map>
#include <gtest/gtest.h>

namespace kvtest {
namespace {

using kv::TFrameEntry;
using kv::TShotEntry;

class PlayerRealTime : public ::testing::Test {
protected:
    void SetUp() override
    {
        for (int address : {1, 2}) {
            kv::TModuleSetup setup;
            setup.address = address;
            setup.channelOhms.assign(16, 10.0);
            show.AddModule(setup);
        }
        show.Connect(true);
        show.player->OnRemoteStop = [this] { ++remoteStops; };
    }
    bool RunWhile(const std::function<bool()>& going, uint32_t limitMs)
    {
        const uint32_t start = kv::MonotonicTick();
        while (going()) {
            if (kv::MonotonicTick() - start > limitMs)
                return false;
            QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
        }
        return true;
    }
    bool RunShow(uint32_t limitMs)
    {
        return RunWhile([this] { return show.player->IsRunning(); }, limitMs);
    }
    // The clock starts before the frame that announces the start begins.
    uint32_t LatestStartTick(uint8_t code)
    {
        const std::vector<TFrameEntry> frames = show.Sent(code);
        EXPECT_FALSE(frames.empty());
        return frames.empty() ? 0 : kv::FieldTick(frames.front().startNs);
    }
    static int32_t Since(uint32_t from, uint32_t tick) { return static_cast<int32_t>(tick - from); }
    void ExpectShotsOnTime(uint32_t startTick, kv::TShotSource source)
    {
        const std::vector<TShotEntry> shots = show.Shots();
        ASSERT_EQ(shots.size(), show.scenario.Cues().size());
        for (size_t i = 0; i < shots.size(); ++i) {
            const kv::TCue& cue = show.scenario.Cue(static_cast<int>(i));
            EXPECT_EQ(shots[i].address, cue.module) << "shot " << i;
            EXPECT_EQ(shots[i].channel, cue.channel) << "shot " << i;
            EXPECT_EQ(shots[i].shot, 1) << "fired twice";
            EXPECT_EQ(shots[i].source, source);
            EXPECT_GE(Since(startTick, shots[i].Tick()), cue.time) << "early: shot " << i;
            EXPECT_LT(Since(startTick, shots[i].Tick()), cue.time + 250) << "late: shot " << i;
        }
    }

    TShowField show{std::make_shared<kv::TSteadyFieldClock>()};
    int remoteStops = 0;
};

TEST_F(PlayerRealTime, DirectShowFiresEveryCueOnceInOrderNoneEarly)
{
    show.LoadScenario("0.21 1 1\n0.51 1 2\n0.51 2 1\n0.51 1 3\n1.01 2 2\n1.31 1 4\n");
    show.player->Start(0);
    ASSERT_TRUE(RunShow(5000));
    ExpectShotsOnTime(LatestStartTick(0x10), kv::TShotSource::Command);

    std::vector<int> codes;
    for (const TFrameEntry& frame : show.Sent())
        codes.push_back(frame.bytes[0]);
    EXPECT_EQ(codes, (std::vector<int>{0x10, 0x84, 0x84, 0x84, 0x84, 0x84, 0x84, 0x90, 0x11}));
    const std::vector<TFrameEntry> fires = show.Sent(0x84);
    ASSERT_EQ(fires.size(), 6u);
    EXPECT_EQ(Head(fires[2]), Bytes({0x84, 1, 0, 0x80, 0, 2}));
}

TEST_F(PlayerRealTime, AutonomousShowLetsTheModulesFireFromMemory)
{
    show.LoadScenario("0.31 1 1\n0.81 2 1\n1.21 1 2\n");
    ASSERT_EQ(kv::TModuleTransfer(*show.registry).WriteScenario(kv::TCueView(show.scenario.Cues())), 0);
    show.field->ClearRecord();
    Reconfigure(*show.player, &kv::TShowSetup::controlMode, kv::kControlAutonomous);
    show.player->Start(0);
    ASSERT_TRUE(RunShow(5000));
    ExpectShotsOnTime(LatestStartTick(0x90), kv::TShotSource::Memory);
    EXPECT_TRUE(show.Sent(0x84).empty());
    EXPECT_EQ(show.player->FiredCount(), 3);
}

TEST_F(PlayerRealTime, RemoteStopFromTheBusEndsTheShow)
{
    show.LoadScenario("0.21 1 1\n2.01 1 2\n");
    show.player->Start(0);
    show.field->InjectFrame(0, show.field->ElapsedMs() + 600, kv::MakeWireFrame(0x90, 0, 6, 0, 0, 0));
    ASSERT_TRUE(RunShow(3000));
    EXPECT_EQ(remoteStops, 1);
    RunWhile([] { return true; }, 2000);
    ASSERT_EQ(show.Shots().size(), 1u);
    EXPECT_EQ(show.Shots()[0].channel, 0);
}

// Through the port thread: a shot it holds for its moment is dropped by a stop that comes
// first, and whatever it had sent went before the stop frames.
TEST_F(PlayerRealTime, AStopAfterAShotWasHandedOverSendsNothingAfterTheStopFrames)
{
    show.LoadScenario("0.31 1 1\n0.34 2 1\n0.37 1 2\n");
    show.player->Start(0);
    ASSERT_TRUE(RunWhile([this] { return show.Sent(0x84).empty(); }, 3000));
    show.player->Stop(false);
    RunWhile([] { return true; }, 300);
    const std::vector<TFrameEntry> sent = show.Sent();
    const auto stop = std::find_if(sent.begin(), sent.end(),
                                   [](const TFrameEntry& frame) { return frame.bytes[0] == 0x90; });
    ASSERT_NE(stop, sent.end());
    EXPECT_TRUE(std::none_of(stop, sent.end(), [](const TFrameEntry& frame) {
        return frame.bytes[0] == 0x84;
    })) << "a shot after the stop frames";
    EXPECT_EQ(show.Shots().size(), show.Sent(0x84).size());
}

// A shot the port thread held for its moment once waited out the lost converter and went
// out when it came back, most of a second late; it fails as a send on the main thread did.
TEST_F(PlayerRealTime, AShotDueWhileItsConverterIsLostDoesNotFireWhenItComesBack)
{
    show.LoadScenario("0.31 1 1\n0.61 1 2\n");
    const int64_t at = show.field->ElapsedMs();
    show.field->Unplug(0, at + 450);
    show.field->Plug(0, at + 1300);
    show.player->Start(0);
    ASSERT_TRUE(RunShow(5000));
    RunWhile([] { return true; }, 1500);
    ASSERT_EQ(show.Shots().size(), 1u);
    EXPECT_EQ(show.Shots()[0].channel, 0);
    EXPECT_EQ(show.player->FiringReport().Records()[1].reason, kv::TMissReason::ConverterLost);
}

TEST_F(PlayerRealTime, ArmedPlayerStartsOnAnotherStationsStartMessage)
{
    show.LoadScenario("5.01 1 1\n5.31 2 1\n");
    show.player->armed = true;
    show.field->InjectFrame(0, show.field->ElapsedMs() + 100, kv::MakeWireFrame(0x90, 0, 50, 0x80, 0, 0));
    ASSERT_TRUE(RunWhile([this] { return !show.player->IsRunning(); }, 2000));
    ASSERT_TRUE(RunShow(3000));
    const std::vector<TFrameEntry> sent = show.Sent();
    ASSERT_FALSE(sent.empty());
    EXPECT_EQ(Head(sent[0]), Bytes({0x90, 0, 50, 0, 0, 0})) << "answered first";
    ExpectShotsOnTime(LatestStartTick(0x10) - 5000, kv::TShotSource::Command);
}

// A salvo of 60 cues on four modules over two converters, then three shots of a
// high-voltage module, all at 0.3 s: the port thread sends it for about a quarter second.
class PlayerRealTimeSalvo : public PlayerRealTime {
protected:
    static constexpr int kSalvo = 63;

    void SetUp() override
    {
        show.field->SetConverterCount(2);
        std::string text;
        for (int address = 1; address <= 4; ++address) {
            kv::TModuleSetup setup = Module(address);
            setup.converter = address > 2 ? 1 : 0;
            show.AddModule(setup);
            for (int channel = 1; channel <= 15; ++channel)
                text += "0.3 " + std::to_string(address) + " " + std::to_string(channel) + "\n";
        }
        show.AddModule(Module(5, kv::TModuleKind::HighVoltage));
        show.Connect(true);
        show.LoadScenario(text + "0.3 5 1\n0.3 5 2\n0.3 5 3\n");
        MeasureCharges(show.Device<kv::THVControl>(5), 3);
    }
};

// A stop while the port sends a salvo takes its unsent tail back. The start key with the
// start point left at the stop once passed that tail over as before the start point, its
// charges with it, when a tick had read the clock past the salvo; Enter on the cue the list
// shows next, then the start key, once fired the shots that went before the stop again.
// Either way the tail now goes, late, each high-voltage shot with its own charge.
TEST_F(PlayerRealTimeSalvo, AStartAfterAStopInTheSalvoSendsItsTailOnceAndNothingThatWent)
{
    kv::TExtPlayer& player = *show.player;
    for (const bool enterOnNextCue : {false, true}) {
        SCOPED_TRACE(enterOnNextCue ? "Enter on the next cue" : "start point left at the stop");
        show.field->ClearRecord();
        ASSERT_EQ(show.Device<kv::THVControl>(5).SetTestMode(false), 0) << "high voltage on";
        player.SetStartPoint(0, 0);
        player.Start(0);
        ASSERT_TRUE(RunWhile([this] { return show.Shots().size() < 12; }, 3000));
        player.Stop(false);
        ASSERT_LT(show.Shots().size(), static_cast<size_t>(kSalvo - 3)) << "the salvo was not cut";
        ASSERT_GT(player.CurrentTime(), 300) << "no tick read the clock past the salvo";
        if (enterOnNextCue)
            player.SetStartPoint(show.scenario.Cue(player.NextCue()).time, player.NextCue());
        ASSERT_EQ(show.Device<kv::THVControl>(5).SetTestMode(false), 0);
        player.Start(player.CurrentTime());
        ASSERT_TRUE(RunShow(5000));

        std::map<std::pair<int, int>, int> shots;
        for (const TShotEntry& shot : show.Shots()) {
            ++shots[{shot.address, shot.channel}];
            if (shot.address == 5) {
                EXPECT_EQ(shot.chargeVolts, 50 * (shot.channel + 1)) << "channel " << shot.channel + 1;
            }
        }
        EXPECT_EQ(shots.size(), static_cast<size_t>(kSalvo)) << "a shot was lost";
        for (const auto& [shot, count] : shots)
            EXPECT_EQ(count, 1) << "module " << shot.first << " channel " << shot.second + 1;
    }
}

}  // namespace
}  // namespace kvtest
