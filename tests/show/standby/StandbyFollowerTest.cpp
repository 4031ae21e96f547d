// A standby station following the primary's show on the same line, on virtual time. The
// primary is the player the console creates; it dies as a killed process does: nothing more
// leaves it, not even the shots already handed to its port.
#include "rigs/PlayerSetup.h"
#include "rigs/VirtualShow.h"

#include "field/bus/FieldPort.h"
#include "link/PortProto.h"
#include "show/standby/StandbyFollower.h"
#include "support/platform/Platform.h"

#include <algorithm>
#include <climits>

namespace kvtest {
namespace {

// A gap longer than the silence allowed, in which only the status answers are heard.
constexpr const char* kShow =
    "0.500 1 1\n0.500 1 2\n1.000 2 1\n3.000 2 2\n3.200 1 3\n4.000 1 4\n";

class StandbyFollower : public VirtualShow {
protected:
    void SetUp() override { Build(kv::kControlDirect); }

    void Build(uint8_t controlMode)
    {
        pump_.reset();
        follower.reset();
        standbyPort.reset();
        show = std::make_unique<TShowField>(std::make_shared<kv::TPlatformFieldClock>());
        show->field->SetConverterCount(2);
        show->field->ShareLine(1, 0);
        show->converters = {0};
        show->AddModule(Module(1));
        show->AddModule(Module(2));
        show->Connect();
        show->LoadScenario(kShow);
        Reconfigure(Player(), &kv::TShowSetup::controlMode, controlMode);
        Player().LaunchState = [this] { return Player().IsRunning() ? 2 : 1; };
        show->port->OnFrameFrom = [this](const kv::TFrameRecord& frame, int) {
            Player().HandleMessage(frame);
        };
        platform.randomValue = 41;  // the two stations draw different numbers
        standbyPort = std::make_unique<kv::TPortProto>(
            std::make_unique<kv::TFieldPort>(show->field, 16, std::vector<int>{1}));
        platform.randomValue = 0;
        ASSERT_TRUE(standbyPort->Reopen());
        standbyScenario.Load(show->folder.Write("standby.txt", kShow));
        follower = std::make_unique<kv::TStandbyFollower>(*standbyPort, standbyScenario,
                                                          kv::TStandbySetup{});
        standbyPort->OnFrameFrom = [this](const kv::TFrameRecord& frame, int) {
            follower->Hear(frame);
        };
        follower->OnSilent = [this] { verdicts.push_back(platform.TickCount()); };
        verdicts.clear();
        primaryAlive_ = standbyHears_ = true;
        pump_ = kv::Platform().CreateTimer([this] {
            if (primaryAlive_)
                show->port->Cycle();
            if (standbyHears_)
                standbyPort->Cycle();
        });
        pump_->SetInterval(5);
        pump_->SetEnabled(true);
        follower->Follow();
    }

    void KillPrimary()
    {
        deathTime_ = PrimaryTime(platform.TickCount());
        deathTick_ = platform.TickCount();
        primaryAlive_ = false;
        show->port->DropTimed();
        show->player.reset();
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
            if (const auto predicted = follower->PredictedTime(now))
                mostAhead = std::max(mostAhead, *predicted - PrimaryTime(now));
        }
        return mostAhead;
    }

    std::unique_ptr<kv::TPortProto> standbyPort;
    kv::TProjectList standbyScenario;
    std::unique_ptr<kv::TStandbyFollower> follower;
    std::vector<uint32_t> verdicts;

private:
    bool primaryAlive_ = true;
    bool standbyHears_ = true;
    int32_t deathTime_ = 0;
    uint32_t deathTick_ = 0;
    std::unique_ptr<kv::TTimer> pump_;
};

// A shot by key of a later cue's channel marks it fired but must not move the clock ahead.
TEST_F(StandbyFollower, FollowsAShowToItsEndNeverAheadOfItAndGivesNoVerdict)
{
    Start(0);
    int32_t mostAhead = AdvanceWatching(1500);
    EXPECT_EQ(follower->Show(), kv::TFollowedShow::Running);
    EXPECT_EQ(follower->PrimaryId(), show->port->StationId());
    EXPECT_EQ(follower->ResumeCue(), 3);
    const int32_t lag = PrimaryTime(platform.TickCount()) - *follower->PredictedTime(platform.TickCount());
    EXPECT_LE(lag, 150) << "followed from the last shot heard";
    Player().FireByHand(1, 2, [](bool) {});
    mostAhead = std::max(mostAhead, AdvanceWatching(3500));
    EXPECT_FALSE(Player().IsRunning());
    EXPECT_LE(mostAhead, 0);
    for (int32_t cue = 0; cue < 6; ++cue)
        EXPECT_TRUE(follower->HeardFired(cue)) << cue;
    EXPECT_EQ(follower->Show(), kv::TFollowedShow::Stopped);
    AdvanceWatching(2000);
    EXPECT_TRUE(verdicts.empty());
}

TEST_F(StandbyFollower, APrimaryKilledMidShowIsFoundSilentOnceAndPredictedBehindItsClock)
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
        EXPECT_EQ(follower->Show(), kv::TFollowedShow::Silent);
        EXPECT_LE(mostAhead, 0);
        EXPECT_GE(*follower->PredictedTime(killed), 1100 - 200);
        EXPECT_EQ(follower->ResumeCue(), 3) << "the cues up to 1 s were fired or played";
        EXPECT_EQ(follower->PrimaryControlMode(), mode);
    }
}

TEST_F(StandbyFollower, NoVerdictForAShowNotStartedOrStoppedNorWhenItsOwnLineIsDown)
{
    KillPrimary();  // an idle primary gone
    AdvanceWatching(1000);
    EXPECT_EQ(follower->Show(), kv::TFollowedShow::None);
    EXPECT_TRUE(verdicts.empty());

    Build(kv::kControlDirect);
    Start(0);
    AdvanceWatching(700);
    Player().Stop(false);
    KillPrimary();
    AdvanceWatching(1000);
    EXPECT_EQ(follower->Show(), kv::TFollowedShow::Stopped);
    EXPECT_TRUE(verdicts.empty());

    Build(kv::kControlDirect);
    Start(0);
    AdvanceWatching(700);
    DeafenStandby();
    AdvanceWatching(1000);
    EXPECT_EQ(follower->Show(), kv::TFollowedShow::Running);
    EXPECT_TRUE(verdicts.empty());
}

}  // namespace
}  // namespace kvtest
