// The half second a direct show waits after its last shot before it stops: nothing that
// comes in then fires, starts or moves the show, and it ends on its last cue.
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
