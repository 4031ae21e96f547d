// Positions locked out during a show: their cues still to come are passed over, logged and
// reported; unlocked, the cues after that fire; autonomous control refuses a lockout.
#include "rigs/VirtualShow.h"

#include "show/report/FiringSummary.h"

#include <set>

namespace kvtest {
namespace {

using TShots = std::set<std::pair<int, int>>;  // module, channel from 1

// Left and Right take turns, a second apart.
const std::string kShow = "0:01\t1\t1\t|0:01|Left|Comet\n"
                          "0:02\t1\t2\t|0:02|Right|Peony\n"
                          "0:03\t1\t3\t|0:03|Left|Comet\n"
                          "0:04\t1\t4\t|0:04|Right|Peony\n";

class PlayerLockout : public VirtualShow {
protected:
    void SetUp() override
    {
        show->AddModule(Module(1));
        show->Connect();
        show->LoadScenario(kShow);
        Reconfigure(Player(), &kv::TShowSetup::scenario, &show->scenario);
    }
    TShots Fired()
    {
        TShots fired;
        for (const kv::TShotEntry& shot : show->Shots())
            EXPECT_TRUE(fired.insert({shot.address, shot.channel + 1}).second) << "fired twice";
        return fired;
    }
    kv::TMissReason Reason(int cue) { return Player().FiringReport().Records()[cue].reason; }
};

TEST_F(PlayerLockout, ALockedPositionFiresNothingUntilUnlocked)
{
    Start(0);
    platform.Advance(500);
    ASSERT_TRUE(Player().LockPosition("Left", true));
    EXPECT_TRUE(Player().PositionLocked("Left"));
    EXPECT_EQ(Player().LockedPositions(), (std::vector<std::string>{"Left"}));
    platform.Advance(2000);
    EXPECT_EQ(Fired(), (TShots{{1, 2}}));
    EXPECT_TRUE(Logged("Позиция заблокирована: Left"));
    EXPECT_TRUE(Logged("Команда заблокированной позиции не выполнена, пульт: 1, канал: 1"));
    EXPECT_FALSE(Logged("Запуск, пульт: 1, канал: 1")) << "no shot line for a cue not fired";

    ASSERT_TRUE(Player().LockPosition("Left", false));
    EXPECT_TRUE(Logged("Позиция разблокирована: Left"));
    ASSERT_TRUE(RunUntilStopped(5000));
    EXPECT_EQ(Fired(), (TShots{{1, 2}, {1, 3}, {1, 4}})) << "the cue passed over stays unfired";
    EXPECT_EQ(Reason(0), kv::TMissReason::PositionLockedOut);
    for (const int cue : {1, 2, 3})
        EXPECT_EQ(Player().FiringReport().Records()[cue].outcome, kv::TCueOutcome::Fired);
    EXPECT_EQ(kv::MissReasonText(Reason(0)), "позиция заблокирована");
}

// A plain module's shot goes to the port a tick ahead of its moment: locked meanwhile, it
// must not leave.
TEST_F(PlayerLockout, AShotHandedOverAheadIsTakenBackWhenItsPositionIsLocked)
{
    Start(0);
    platform.Advance(990);
    ASSERT_TRUE(Fired().empty());
    ASSERT_TRUE(Player().LockPosition("Left", true));
    platform.Advance(1500);
    EXPECT_EQ(Fired(), (TShots{{1, 2}}));
    EXPECT_EQ(Reason(0), kv::TMissReason::PositionLockedOut);
    Player().Stop(true);
}

TEST_F(PlayerLockout, AResumeAfterAStopFiresNoCueTheLockoutPassedOver)
{
    ASSERT_TRUE(Player().LockPosition("Right", true)) << "also before the start";
    Start(0);
    platform.Advance(2500);
    Player().Stop(true);
    ASSERT_TRUE(Player().LockPosition("Right", false));
    EXPECT_TRUE(Player().LockedPositions().empty());
    Start(Player().CurrentTime());
    ASSERT_TRUE(RunUntilStopped(5000));
    EXPECT_EQ(Fired(), (TShots{{1, 1}, {1, 3}, {1, 4}}));
}

TEST_F(PlayerLockout, ShotsByKeyOnALockedPositionsChannelAreRefused)
{
    Reconfigure(Player(), &kv::TShowSetup::firingMode, kv::kFiringManual);
    ASSERT_TRUE(Player().LockPosition("Right", true));
    Start(0);
    std::vector<bool> done;
    const auto record = [&done](bool fired) { done.push_back(fired); };
    Player().FireByHand(1, 1, record);  // channel 2: Right's
    Player().FireByHand(1, 0, record);  // channel 1: Left's
    Player().FireByHand(1, 9, record);  // channel 10: in no cue
    EXPECT_EQ(done, (std::vector<bool>{false, true, true}));
    EXPECT_EQ(Fired(), (TShots{{1, 1}, {1, 10}}));
    EXPECT_TRUE(Player().ChannelLockedOut(1, 3));
    EXPECT_FALSE(Player().ChannelLockedOut(1, 2));
    // The step key's cue of a locked position is passed over and recorded as such.
    EXPECT_FALSE(Player().PassLockedCue(0));
    EXPECT_TRUE(Player().PassLockedCue(1));
    EXPECT_EQ(Reason(1), kv::TMissReason::PositionLockedOut);
    Player().Stop(true);
}

TEST_F(PlayerLockout, AutonomousControlRefusesALockout)
{
    Reconfigure(Player(), &kv::TShowSetup::controlMode, kv::kControlAutonomous);
    EXPECT_FALSE(Player().LockPosition("Left", true));
    EXPECT_FALSE(Player().PositionLocked("Left"));
    Reconfigure(Player(), &kv::TShowSetup::controlMode, kv::kControlDirect);
    EXPECT_FALSE(Player().LockPosition("", true)) << "a cue without a position";
    EXPECT_FALSE(Player().LockPosition("Nowhere", true)) << "no such position in the show";
    ASSERT_TRUE(Player().LockPosition("Left", true));
    // Another scenario, or the same one loaded again, starts with nothing locked.
    show->LoadScenario(kShow);
    EXPECT_FALSE(Player().PositionLocked("Left"));
    EXPECT_FALSE(Player().ChannelLockedOut(1, 0));
}

// The console's eight slots share the player: a lockout set in one slot cleared another's.
TEST_F(PlayerLockout, EachScenarioKeepsItsOwnLockoutAndAClearedOneIsLogged)
{
    kv::TProjectList other;
    other.Assign({show->scenario.Cues().begin(), show->scenario.Cues().end()}, "other");
    ASSERT_TRUE(Player().LockPosition("Left", true));
    Reconfigure(Player(), &kv::TShowSetup::scenario, &other);
    EXPECT_TRUE(Player().LockedPositions().empty()) << "another scenario starts with none";
    ASSERT_TRUE(Player().LockPosition("Right", true));
    Reconfigure(Player(), &kv::TShowSetup::scenario, &show->scenario);
    EXPECT_EQ(Player().LockedPositions(), (std::vector<std::string>{"Left"}));
    Start(0);
    ASSERT_TRUE(RunUntilStopped(6000));
    EXPECT_EQ(Fired(), (TShots{{1, 2}, {1, 4}}));
    Reconfigure(Player(), &kv::TShowSetup::scenario, &other);
    EXPECT_EQ(Player().LockedPositions(), (std::vector<std::string>{"Right"}));
    EXPECT_TRUE(Player().ChannelLockedOut(1, 1));

    // Loaded again, a scenario's lockout no longer holds, and the log says so.
    Reconfigure(Player(), &kv::TShowSetup::scenario, &show->scenario);
    show->LoadScenario(kShow);
    EXPECT_FALSE(Player().PositionLocked("Left"));
    EXPECT_TRUE(Logged("Блокировка позиций снята: сценарий загружен заново или заменён: Left"));
    Reconfigure(Player(), &kv::TShowSetup::scenario, &other);
    EXPECT_EQ(Player().LockedPositions(), (std::vector<std::string>{"Right"}));
}

}  // namespace
}  // namespace kvtest
