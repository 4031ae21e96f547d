// A show whose converter goes away and comes back: the cues due meanwhile are missed as
// converter lost and never go out late, in a burst, on the return; the later ones fire at
// their moments.
#include "rigs/VirtualShow.h"

#include "devices/memory/ModuleTransfer.h"
#include "show/player/bus/StopBroadcast.h"
#include "support/lang/AddedMessages.h"
#include "support/lang/Localizer.h"

#include <algorithm>
#include <string>

namespace kvtest {
namespace {

using kv::TCueOutcome;
using kv::TMissReason;

// Sixteen cues, 20 ms apart from 1 s on, on the channels 1-16 of module 1.
std::string DenseShow(bool motorCue)
{
    std::string text;
    for (int i = 0; i < 16; ++i) {
        const int hundredths = 100 + 2 * i;
        text += std::to_string(hundredths / 100) + "." + (hundredths % 100 < 10 ? "0" : "") +
                std::to_string(hundredths % 100) + " 1 " + std::to_string(i + 1) + "\n";
    }
    if (motorCue)
        text += "1.05 3 #C#50\n";
    return text;
}

class PlayerLostConverter : public VirtualShow {
protected:
    void SetUp() override
    {
        ConnectMixedField();
        Player().OnIdle = [] {};
    }
    // The converter is pulled out at 990 ms of the show and plugged in 50 ms later; the port
    // notices the loss at once and reopens after its 100 ms pause, while the main thread
    // waits for it, as it waits for a reopening that holds the port.
    uint32_t RunShowThatLosesTheConverter()
    {
        const int losses = show->port->LossCount();
        const uint32_t startTick = Start(0);
        platform.Advance(990);
        const int64_t at = show->field->ElapsedMs();
        show->field->Unplug(0, at);
        show->field->Plug(0, at + 50);
        show->port->Cycle();
        EXPECT_EQ(show->port->LossCount(), losses + 1);
        EXPECT_TRUE(RunUntilStopped(3000));
        return startTick;
    }
    const std::vector<kv::TCueRecord>& Records() { return Player().FiringReport().Records(); }
};

TEST_F(PlayerLostConverter, CuesDueWhileItWasLostAreMissedAndNoneFiresLate)
{
    show->LoadScenario(DenseShow(false));
    const uint32_t startTick = RunShowThatLosesTheConverter();

    // Every shot on the field went out within the tick that found it due.
    for (const kv::TShotEntry& shot : show->Shots()) {
        const int32_t cueTime = 1000 + 20 * shot.channel;
        EXPECT_LE(Since(startTick, shot.Tick()) - cueTime, 25 + 5)
            << "channel " << shot.channel + 1 << " fired late";
    }
    int missed = 0;
    for (size_t i = 0; i < Records().size(); ++i) {
        const kv::TCueRecord& record = Records()[i];
        // Lost from 990 ms to the reopening 100 ms later.
        const bool dueWhileLost = record.cue.time < 1090;
        if (dueWhileLost) {
            EXPECT_EQ(record.outcome, TCueOutcome::Missed) << "cue " << i + 1;
            EXPECT_EQ(record.reason, TMissReason::ConverterLost) << "cue " << i + 1;
            ++missed;
        } else {
            EXPECT_EQ(record.outcome, TCueOutcome::Fired) << "cue " << i + 1;
        }
    }
    EXPECT_EQ(missed, 5);
    EXPECT_EQ(show->Shots().size(), 11u);
}

// A motor cue goes out on the tick, not ahead: due while the converter was lost, it is not
// driven once the converter is back either.
TEST_F(PlayerLostConverter, AMotorCueDueWhileItWasLostIsNotDrivenOnTheReturn)
{
    show->LoadScenario(DenseShow(true));
    RunShowThatLosesTheConverter();
    EXPECT_TRUE(show->Sent(0x8C).empty()) << "the motor was driven";
    const auto motor = std::find_if(Records().begin(), Records().end(),
                                    [](const kv::TCueRecord& r) { return r.cue.module == 3; });
    ASSERT_NE(motor, Records().end());
    EXPECT_EQ(motor->reason, TMissReason::ConverterLost);
}

// A high-voltage shot lost with the converter never told its module the next shot's charge:
// the module's next shot fired with the lost one's.
TEST_F(PlayerLostConverter, AHighVoltageShotLostWithItLeavesTheModulesNextShotItsOwnCharge)
{
    kv::THVControl& module = show->Device<kv::THVControl>(5);
    MeasureCharges(module, 3);
    show->port->OnConverterBack = [this] { Player().ConverterBack(); };
    // Handed to the port ahead and failed there; found due by the first tick after the return.
    for (const std::string lost : {"1.00", "1.05"}) {
        SCOPED_TRACE(lost);
        ASSERT_EQ(module.SetTestMode(false), 0) << "a stop switches its high voltage off";
        show->LoadScenario("0.5 5 1\n" + lost + " 5 2\n1.5 5 3\n");
        show->field->ClearRecord();
        RunShowThatLosesTheConverter();
        std::vector<std::pair<int, int>> shots;
        for (const kv::TShotEntry& shot : show->Shots())
            shots.emplace_back(shot.channel + 1, shot.chargeVolts);
        EXPECT_EQ(shots, (std::vector<std::pair<int, int>>{{1, 50}, {3, 150}}));
        EXPECT_EQ(Records()[1].reason, TMissReason::ConverterLost);
    }
}

// Autonomous control: the modules play their memory on their own clocks, and a stop given
// while the converter is lost does not reach them. It goes once the converter is back, as
// the console and kvctl tell the player; they would play the rest of the show otherwise.
TEST_F(PlayerLostConverter, AStopThatCouldNotGoOutGoesWhenTheConverterIsBack)
{
    show->LoadScenario("1.00 1 1\n1.50 1 2\n2.00 1 3\n");
    ASSERT_EQ(kv::TModuleTransfer(*show->registry).WriteScenario(kv::TCueView(show->scenario.Cues())), 0);
    Reconfigure(Player(), &kv::TShowSetup::controlMode, kv::kControlAutonomous);
    show->port->OnConverterBack = [this] { Player().ConverterBack(); };
    show->field->ClearRecord();
    Start(0);
    platform.Advance(500);
    const int64_t at = show->field->ElapsedMs();
    show->field->Unplug(0, at);
    show->field->Plug(0, at + 50);
    Player().Stop(false);
    const size_t stopsBefore = show->Sent(0x90).size();
    show->port->Cycle();
    platform.Advance(3000);
    const auto clocks = show->Sent(0x90);
    // As every stop of an autonomous show: several times, so that no module misses it.
    EXPECT_EQ(clocks.size(), stopsBefore + kv::TStopBroadcast::kSendings) << "the stop did not go again";
    ASSERT_FALSE(clocks.empty());
    EXPECT_EQ(clocks.back().bytes[3], 0) << "not the stop form";
    EXPECT_TRUE(show->Shots().empty()) << "the modules played on after the stop";
    EXPECT_TRUE(Logged(kv::Localize(kv::kMsgStopSentAgain)));

    // Back once more, with nothing owed: nothing more goes out. Nor after a stop pressed
    // while no show ran: late, it would stop another station's show.
    Player().ConverterBack();
    EXPECT_EQ(show->Sent(0x90).size(), clocks.size());
    show->field->Unplug(0, show->field->ElapsedMs());
    Player().Stop(false);
    const size_t idleStops = show->Sent(0x90).size();
    show->field->Plug(0, show->field->ElapsedMs() + 50);
    show->port->Cycle();
    EXPECT_EQ(show->port->LossCount(), 2);
    EXPECT_EQ(show->Sent(0x90).size(), idleStops) << "an idle station's stop went late";
}

}  // namespace
}  // namespace kvtest
