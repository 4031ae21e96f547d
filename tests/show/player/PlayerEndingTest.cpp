// The half second a direct show waits after its last shot before it stops: nothing that
// comes in then fires, starts or moves the show, and it ends on its last cue. A show plays
// the setup it began with to its end.
#include "rigs/VirtualShow.h"

namespace kvtest {
namespace {

class PlayerEnding : public VirtualShow {
protected:
    void SetUp() override
    {
        ConnectMixedField();
        show->LoadScenario("0.1 1 1\n0.2 1 2\n");
    }
    // Both cues fired; returns the tick of the last shot, the show in its end pause.
    uint32_t RunToTheEnd()
    {
        Player().Start(0);
        EXPECT_TRUE(platform.AdvanceUntil([this] { return show->Shots().size() == 2; }, 1000));
        const uint32_t last = show->Shots().back().Tick();
        platform.Advance(50);
        EXPECT_EQ(Player().State(), kv::TPlayerState::Ending);
        return last;
    }
    void ExpectAStartFromThereFiresNothing()
    {
        EXPECT_EQ(Player().CurrentTime(), 200) << "the start point on the last cue";
        EXPECT_TRUE(Player().SetStartPoint(Player().CurrentTime(), Player().NextCue()))
            << "not told as going on after the cues the show fired";
        const size_t shots = show->Shots().size();
        Player().Start(Player().CurrentTime());
        ASSERT_TRUE(RunUntilStopped(2000));
        EXPECT_EQ(show->Shots().size(), shots) << "fired again";
    }
};

TEST_F(PlayerEnding, TheEndPauseTakesNoShotStartOrClockChangeAndSwitchesOffAfterIt)
{
    const uint32_t last = RunToTheEnd();
    std::vector<bool> done;
    Player().FireByHand(1, 5, [&](bool fired) { done.push_back(fired); });
    Player().FireByHand(5, 1, [&](bool fired) { done.push_back(fired); });
    Player().Start(0);
    EXPECT_FALSE(Player().SetStartPoint(0, 0)) << "a start point taken while the show ends";
    Player().SetTempo(2000);
    Player().SetOffset(-1000);
    EXPECT_EQ(done, (std::vector<bool>{false, false}));
    EXPECT_EQ(Player().State(), kv::TPlayerState::Ending) << "restarted";

    ASSERT_TRUE(RunUntilStopped(1000));
    EXPECT_EQ(show->Shots().size(), 2u);
    const auto off = show->Sent(0x88);
    ASSERT_FALSE(off.empty());
    EXPECT_GE(Since(last, off[0].Tick()), 500) << "the high voltage went off before the pause ended";
    EXPECT_LT(Since(last, off[0].Tick()), 500 + 50 + 25);
    Player().SetTempo(1000);
    Player().SetOffset(0);
    ExpectAStartFromThereFiresNothing();
}

TEST_F(PlayerEnding, ASetupChangeWhileTheShowRunsOrEndsIsRefusedAndFiresNothingElse)
{
    kv::TProjectList other;
    other.Load(show->folder.Write("other.txt", "0.15 1 3\n0.3 1 4\n"));
    const kv::TShowSetup began = Player().Setup();
    kv::TShowSetup changed{&other, kv::kControlAutonomous, kv::kFiringManual, 0, true};
    Player().Start(0);
    ASSERT_TRUE(platform.AdvanceUntil([this] { return show->Shots().size() == 1; }, 1000));
    EXPECT_FALSE(Player().Configure(changed)) << "taken while the show runs";
    platform.Advance(150);
    ASSERT_EQ(Player().State(), kv::TPlayerState::Ending);
    EXPECT_FALSE(Player().Configure(changed)) << "taken in the end pause";
    const kv::TShowSetup now = Player().Setup();
    EXPECT_EQ(now.scenario, began.scenario);
    EXPECT_EQ(now.controlMode, began.controlMode);
    EXPECT_EQ(now.firingMode, began.firingMode);
    EXPECT_EQ(now.maxLateMs, began.maxLateMs);
    EXPECT_EQ(now.rehearsal, began.rehearsal);

    ASSERT_TRUE(RunUntilStopped(1000));
    std::vector<int> channels;
    for (const kv::TShotEntry& shot : show->Shots())
        channels.push_back(shot.channel);
    EXPECT_EQ(channels, (std::vector<int>{0, 1})) << "not the show it began as";
    EXPECT_TRUE(Player().Configure(changed)) << "refused once stopped";
    EXPECT_EQ(Player().Setup().scenario, &other);
}

TEST_F(PlayerEnding, AStopInTheEndPauseStopsAtOnceOnTheLastCue)
{
    RunToTheEnd();
    const uint32_t stop = platform.TickCount();
    Player().Stop(false);
    EXPECT_FALSE(Player().IsRunning());
    ASSERT_FALSE(show->Sent(0x88).empty());
    EXPECT_LT(Since(stop, show->Sent(0x88)[0].Tick()), 25) << "not at once";
    ExpectAStartFromThereFiresNothing();
}

}  // namespace
}  // namespace kvtest
