// A main thread held up for 3 s in the middle of a direct show: the cues due meanwhile once all
// went at once when it came back.
#include "rigs/VirtualShow.h"

#include "support/lang/AddedMessages.h"

namespace kvtest {
namespace {

class PlayerHeldUp : public VirtualShow {
protected:
    void SetUp() override
    {
        ConnectMixedField();
        MeasureCharges(show->Device<kv::THVControl>(5), 3);
        // Channel n of module 1 at n / 2 s; the high-voltage module's second shot and a motor
        // turn fall in the hold.
        std::string text;
        for (int channel = 1; channel <= 10; ++channel)
            text += std::to_string(channel * 500 / 1000.0) + " 1 " + std::to_string(channel) + "\n";
        show->LoadScenario(text + "0.5 5 1\n2 5 2\n4.5 5 3\n2.5 3 #L#50\n");
    }
    // Held from 1.01 s to 4.01 s of the show: no timer runs meanwhile.
    std::vector<int> RunHeldUp()
    {
        show->field->ClearRecord();
        Start(0);
        platform.Advance(1010);
        platform.Sleep(3000);
        EXPECT_TRUE(RunUntilStopped(5000));
        std::vector<int> channels;
        for (const kv::TShotEntry& shot : show->Shots())
            if (shot.address == 1)
                channels.push_back(shot.channel + 1);
        return channels;
    }
};

TEST_F(PlayerHeldUp, CuesLaterThanTheLimitArePassedOverTheOthersFire)
{
    const std::vector<int> channels = RunHeldUp();
    // 1.5 s to 3 s were more than a second late at 4.01 s; 3.5 s and 4 s less.
    EXPECT_EQ(channels, (std::vector<int>{1, 2, 7, 8, 9, 10}));
    const auto& records = Player().FiringReport().Records();
    for (size_t cue = 0; cue < records.size(); ++cue) {
        const kv::TCueRecord& record = records[cue];
        const bool passed = record.cue.time > 1010 && record.cue.time < 3010;
        EXPECT_EQ(record.reason, passed ? kv::TMissReason::TooLate : kv::TMissReason::None)
            << "cue at " << record.cue.time;
    }
    EXPECT_TRUE(Logged(kv::Localize(kv::kMsgLateCuePassed) + " 1, канал: 3"));
    // The passed high-voltage shot leaves the next its own charge; the motor goes where the
    // show has it.
    std::vector<std::pair<int, int>> highVoltage;
    for (const kv::TShotEntry& shot : show->Shots())
        if (shot.address == 5)
            highVoltage.emplace_back(shot.channel + 1, shot.chargeVolts);
    EXPECT_EQ(highVoltage, (std::vector<std::pair<int, int>>{{1, 50}, {3, 150}}));
    EXPECT_TRUE(Logged(kv::Localize(kv::kMsgMotorPositionSet) + " 3 (L)"));
}

TEST_F(PlayerHeldUp, WithoutALimitEveryCueDueInTheHoldFiresWhenItEnds)
{
    Reconfigure(Player(), &kv::TShowSetup::maxLateMs, 0);
    EXPECT_EQ(RunHeldUp(), (std::vector<int>{1, 2, 3, 4, 5, 6, 7, 8, 9, 10}));
}

}  // namespace
}  // namespace kvtest
