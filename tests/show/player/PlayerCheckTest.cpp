// The record of fired channels and their measurement once the bus is quiet.
#include "rigs/VirtualShow.h"

#include "devices/kinds/CommonControl.h"

namespace kvtest {
namespace {

using kv::TCommonControl;

class PlayerCheck : public VirtualShow {
protected:
    void SetUp() override
    {
        kv::TModuleSetup current = Module(1);
        current.version = 0x268;
        current.channelOhms = {15, 0.5, 100, 250, 1, 200};
        show->AddModule(current);
        kv::TModuleSetup old = Module(2);
        old.version = 0x267;
        old.channelOhms = {10, kv::kOpenOhms};
        show->AddModule(old);
        kv::TModuleSetup highVoltage = Module(5, kv::TModuleKind::HighVoltage);
        highVoltage.channelOhms = {50};
        show->AddModule(highVoltage);
        show->Connect();
        Player().OnChecked = [this](int module, int channel) {
            checked.push_back({module, channel});
            checkTicks.push_back(platform.TickCount());
        };
        Player().OnFired = [this](int module, int channel) { fired.push_back({module, channel}); };
    }
    TCommonControl& Control(int address) { return show->Device<TCommonControl>(address); }
    // Records shots without firing, so the igniters keep their resistance.
    void Record(std::initializer_list<std::pair<int, int>> shots)
    {
        for (const auto& [module, channel] : shots)
            Player().Fire(module, channel, true, true);
    }

    std::vector<std::pair<int, int>> checked;
    std::vector<uint32_t> checkTicks;
    std::vector<std::pair<int, int>> fired;
};

TEST_F(PlayerCheck, ClassifiesByFirmwareAndKindAtTheThresholds)
{
    Record({{1, 0}, {1, 1}, {1, 2}, {1, 3}, {1, 4}, {1, 5}, {2, 0}, {2, 1}, {5, 0}, {9, 0}});
    EXPECT_EQ(fired.size(), 10u);
    EXPECT_TRUE(Control(1).ChannelFired(3));
    platform.Advance(200);
    Player().CheckNext();
    EXPECT_EQ(Player().CheckPosition(), 0) << "not within 200 ms of the last shot";
    platform.Advance(1);
    while (Player().HasUnchecked())
        Player().CheckNext();

    const uint8_t expected[] = {1, 3, 3, 2, 1, 2};
    for (int channel = 0; channel < 6; ++channel)
        EXPECT_EQ(Control(1).ChannelState(channel), expected[channel]) << "channel " << channel;
    EXPECT_NEAR(Control(1).ChannelValue(0), 15, 1e-9);
    EXPECT_EQ(Control(2).ChannelState(0), kv::kChannelConnected) << "old firmware: 4.0 rule";
    EXPECT_EQ(Control(2).ChannelState(1), kv::kChannelOpen);
    EXPECT_EQ(Control(5).ChannelState(0), kv::kChannelConnected);
    EXPECT_NEAR(Control(5).ChannelValue(0), 50, 1e-9);
    EXPECT_EQ(checked.size(), 9u) << "the unregistered module 9 is passed over";
    EXPECT_EQ(Player().CheckPosition(), 10);
}

TEST_F(PlayerCheck, FailedMeasurementMarksAFaultWithoutReport)
{
    Record({{1, 0}});
    show->field->Unplug(0, show->field->ElapsedMs());
    platform.Advance(300);
    Player().CheckNext();
    EXPECT_EQ(Control(1).ChannelState(0), kv::kChannelFault);
    EXPECT_TRUE(checked.empty());
    EXPECT_FALSE(Player().HasUnchecked());
}

TEST_F(PlayerCheck, ShowChecksTrailTheShotsInIdleGapsOnly)
{
    show->LoadScenario("1 1 1\n1.05 1 2\n5 1 3\n5.5 1 4\n");
    Player().OnIdle = [] {};
    Start(0);
    ASSERT_TRUE(RunUntilStopped(7000));
    const auto shots = show->Shots();
    ASSERT_EQ(shots.size(), 4u);
    ASSERT_EQ(checked.size(), 2u) << "no gap of a second after the third shot";
    EXPECT_EQ(checked[0], std::make_pair(1, 0));
    EXPECT_EQ(checked[1], std::make_pair(1, 1));
    EXPECT_GT(Since(shots[1].Tick(), checkTicks[0]), 200);
    EXPECT_GE(Since(checkTicks[0], checkTicks[1]), 1000) << "one check per idle pass";
    EXPECT_LT(Since(checkTicks[1], shots[2].Tick()), 3000);
    EXPECT_EQ(Control(1).ChannelState(0), kv::kChannelOpen) << "the igniter burnt through";

    while (Player().HasUnchecked())
        Player().CheckNext();
    EXPECT_EQ(checked.size(), 4u) << "the rest while stopped";
}

TEST_F(PlayerCheck, FiredTableKeepsItsSizeAndEmptiesAtStart)
{
    for (int i = 0; i < kv::TExtPlayer::kFiredCapacity + 5; ++i)
        Player().Fire(1, i % 16, true, true);
    EXPECT_EQ(Player().FiredCount(), kv::TExtPlayer::kFiredCapacity);
    EXPECT_EQ(fired.size(), static_cast<size_t>(kv::TExtPlayer::kFiredCapacity + 5));
    Reconfigure(Player(), &kv::TShowSetup::firingMode, kv::kFiringManual);
    Start(0);
    EXPECT_EQ(Player().FiredCount(), 0);
    EXPECT_EQ(Player().CheckPosition(), 0);
}

}  // namespace
}  // namespace kvtest
