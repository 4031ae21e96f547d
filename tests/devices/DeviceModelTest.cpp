// Device operations against simulated modules: status, link quality, classification, modes,
// and the channel guard.

#include "rigs/DeviceFieldFixture.h"

#include "devices/kinds/AutoControl.h"
#include "devices/kinds/HVControl.h"
#include "devices/kinds/MotorControl.h"
#include "link/Result.h"

namespace kv::test {
namespace {

class DeviceModel : public DeviceFieldFixture {};

TEST_F(DeviceModel, PollReadsVoltagesModeAndTemperatureByFirmware)
{
    AddModule({.address = 3, .version = 0x36B, .outputVolts = 12.0, .supplyVolts = 12.5,
               .temperature = -7, .fireMode = false});
    AddModule({.address = 4, .version = 0x150, .outputVolts = 9.5, .temperature = 30});
    AddModule({.kind = TModuleKind::HighVoltage, .address = 5, .channels = 4,
               .outputVolts = 320.0});
    AddModule({.kind = TModuleKind::Motor, .address = 6, .outputVolts = 11.0,
               .supplyVolts = 3.0});
    Connect();

    auto& recent = Registered<TAutoControl>(3);
    EXPECT_EQ(recent.version, 0x36B);
    EXPECT_EQ(recent.lastResult, 0);
    EXPECT_DOUBLE_EQ(recent.outputVoltage, 12.0);
    EXPECT_DOUBLE_EQ(recent.supplyVoltage, 12.5);
    EXPECT_EQ(recent.modeState, 1);  // test mode
    EXPECT_DOUBLE_EQ(recent.temperature, -7);

    auto& old = Registered<TAutoControl>(4);
    EXPECT_EQ(old.modeState, 2) << "no mode bit before 0x151";
    EXPECT_DOUBLE_EQ(old.temperature, 0) << "no temperature before 0x36B";
    EXPECT_DOUBLE_EQ(old.outputVoltage, 9.5);

    auto& hv = Registered<THVControl>(5);
    EXPECT_DOUBLE_EQ(hv.outputVoltage, 320.0);
    EXPECT_EQ(hv.hvSetting, 128);

    auto& motor = Registered<TMotorControl>(6);
    EXPECT_DOUBLE_EQ(motor.supplyVoltage, 11.0) << "a motor module shows its first value";
}

// A high-voltage module tells its test mode in the top bit of its voltage, as the others do.
// Read as volts it showed 3276.8 V too much; left out, a boost key put the module in fire mode.
TEST_F(DeviceModel, HighVoltageModuleInTestModeShowsItsVoltageAndStaysInTestMode)
{
    TSimModule& sim = AddModule({.kind = TModuleKind::HighVoltage, .address = 5, .channels = 4,
                                 .outputVolts = 320.0, .fireMode = false});
    Connect();
    auto& hv = Registered<THVControl>(5);
    hv.Poll();
    EXPECT_DOUBLE_EQ(hv.outputVoltage, 320.0);
    EXPECT_EQ(hv.modeState, 1);
    EXPECT_EQ(hv.SetBoost(true), 0);
    EXPECT_FALSE(sim.FireMode());
    EXPECT_EQ(hv.SetTestMode(false), 0);
    hv.Poll();
    EXPECT_EQ(hv.modeState, 0);
    EXPECT_DOUBLE_EQ(hv.outputVoltage, 320.0);
}

TEST_F(DeviceModel, SilentModuleShowsZeroVoltsAndFallingLinkQuality)
{
    TSimModule& sim = AddModule({.address = 3, .outputVolts = 12.0});
    Connect();
    auto& module = Registered<TAutoControl>(3);
    ASSERT_DOUBLE_EQ(module.outputVoltage, 12.0);
    sim.Faults().silentFromNs = 0;
    module.pollCount = 1;
    module.pollOkCount = 1;

    for (int i = 0; i < 10; ++i)
        module.Poll();
    EXPECT_DOUBLE_EQ(module.outputVoltage, 0);
    EXPECT_DOUBLE_EQ(module.supplyVoltage, 0);
    EXPECT_EQ(module.lastResult, kLinkNoReply);
    EXPECT_EQ(module.modeState, 2);
    EXPECT_EQ(module.LinkQuality(), 9);  // 1 of 11
    module.Poll();
    EXPECT_EQ(module.pollCount, 2);
    EXPECT_EQ(module.pollOkCount, 0);
    EXPECT_EQ(module.LinkQuality(), 0);
}

TEST_F(DeviceModel, LinkQualityWindowKeepsOneGoodPollWhenQualityWasFair)
{
    TSimModule& sim = AddModule({.address = 3});
    Connect();
    auto& module = Registered<TAutoControl>(3);
    module.pollCount = 1;
    module.pollOkCount = 1;
    for (int i = 0; i < 9; ++i)
        module.Poll();
    EXPECT_EQ(module.LinkQuality(), 100);
    sim.Faults().silentFromNs = 0;
    module.Poll();  // 10 of 11
    EXPECT_EQ(module.LinkQuality(), 91);
    module.Poll();  // new window: one good poll kept, then this failure
    EXPECT_EQ(module.pollCount, 2);
    EXPECT_EQ(module.pollOkCount, 1);
    EXPECT_EQ(module.LinkQuality(), 50);
}

TEST_F(DeviceModel, ClassificationAtTheExactThresholds)
{
    AddModule({.address = 3, .version = 0x268, .channels = 8,
               .channelOhms = {1.0, 20.0, 200.0, 0.5, 10.0, kOpenOhms, 29.0, 57.0}});
    AddModule({.address = 4, .version = 0x267, .channels = 2, .channelOhms = {8.0, kOpenOhms}});
    AddModule({.kind = TModuleKind::HighVoltage, .address = 5, .channels = 4,
               .channelOhms = {6.5, 6.5, 6.5, 6.5}});
    AddModule({.kind = TModuleKind::Motor, .address = 6, .channels = 2});
    Connect();
    const TConnectThresholds thresholds;

    auto classify = [&](TCommonControl& module, int channel) {
        double value = 0;
        EXPECT_EQ(module.MeasureChannel(channel, value), 0);
        EXPECT_EQ(module.ClassifyChannel(channel, value, thresholds), 0);
        return module.ChannelState(channel);
    };
    auto& ohms = Registered<TAutoControl>(3);
    EXPECT_EQ(classify(ohms, 0), kChannelConnected) << "exactly ConnectResistLo";
    EXPECT_DOUBLE_EQ(ohms.ChannelValue(0), 1.0);
    EXPECT_EQ(classify(ohms, 1), kChannelFault) << "exactly ConnectResist";
    EXPECT_EQ(classify(ohms, 2), kChannelOpen) << "exactly ConnectResistHi";
    EXPECT_EQ(classify(ohms, 3), kChannelFault) << "short circuit";
    EXPECT_EQ(classify(ohms, 4), kChannelConnected);
    EXPECT_EQ(classify(ohms, 5), kChannelOpen);
    EXPECT_EQ(ohms.ConnectedCount(), 2);
    EXPECT_EQ(ohms.CountChannelsInState(kChannelFault), 2);
    // 290 and 570 counts of 0.1 ohm: taken as 0.29 x 100 they fell just below the threshold.
    const TConnectThresholds operatorSet{.connectResistLo = 1, .connectResist = 29,
                                         .connectResistHi = 57};
    double value = 0;
    ASSERT_EQ(ohms.MeasureChannel(6, value), 0);
    ASSERT_EQ(ohms.ClassifyChannel(6, value, operatorSet), kLinkOk);
    EXPECT_EQ(ohms.ChannelState(6), kChannelFault) << "exactly ConnectResist";
    EXPECT_DOUBLE_EQ(ohms.ChannelValue(6), 29.0);
    ASSERT_EQ(ohms.MeasureChannel(7, value), 0);
    ASSERT_EQ(ohms.ClassifyChannel(7, value, operatorSet), kLinkOk);
    EXPECT_EQ(ohms.ChannelState(7), kChannelOpen) << "exactly ConnectResistHi";

    auto& old = Registered<TAutoControl>(4);
    EXPECT_EQ(classify(old, 0), kChannelConnected);
    EXPECT_EQ(classify(old, 1), kChannelOpen);
    EXPECT_DOUBLE_EQ(old.ChannelValue(0), 0) << "old firmware stores no value";

    auto& hv = Registered<THVControl>(5);
    EXPECT_EQ(classify(hv, 2), kChannelConnected);
    EXPECT_NEAR(hv.ChannelValue(2), 6.5, 1e-9);

    auto& motor = Registered<TMotorControl>(6);
    ASSERT_EQ(motor.SetChannelState(0, kChannelFault), kLinkOk);
    EXPECT_EQ(classify(motor, 0), kChannelFault) << "no rule applies to a motor module";
}

TEST_F(DeviceModel, ChannelsOutsideTheTablesAreRefusedBeforeTheBus)
{
    AddModule({.address = 3, .channels = 16});
    AddModule({.kind = TModuleKind::HighVoltage, .address = 5, .channels = 4});
    Connect();
    auto& module = Registered<TAutoControl>(3);
    auto& hv = Registered<THVControl>(5);
    field->ClearRecord();
    const TConnectThresholds thresholds;

    for (int channel : {-1, 512, 100000}) {
        double value = 1;
        EXPECT_EQ(module.MeasureChannel(channel, value), kResultBadChannel);
        EXPECT_EQ(module.FireChannel(channel), kResultBadChannel);
        EXPECT_EQ(hv.FireWithCharge(channel, 300), kResultBadChannel);
        EXPECT_EQ(module.ClassifyChannel(channel, 0.1, thresholds), kResultBadChannel);
        EXPECT_EQ(module.SetChannelState(channel, kChannelFault), kResultBadChannel);
        EXPECT_EQ(module.MarkInScenario(channel), kResultBadChannel);
        EXPECT_EQ(module.MarkFired(channel), kResultBadChannel);
        EXPECT_EQ(module.ChannelState(channel), kChannelUntested);
        EXPECT_FALSE(module.ChannelInScenario(channel));
        EXPECT_FALSE(module.ChannelFired(channel));
        EXPECT_EQ(hv.ChannelCharge(channel), 0);
    }
    EXPECT_TRUE(field->Frames().empty());
    EXPECT_TRUE(field->Shots().empty());
    EXPECT_EQ(module.lastResult, 0) << "a refused call is no exchange";

    EXPECT_EQ(module.FireChannel(511), 0);
    EXPECT_EQ(module.FireChannel(2), 0);
    ASSERT_EQ(field->Shots().size(), 1u) << "channel 512 does not exist on a 16-channel module";
    EXPECT_EQ(field->Shots()[0].channel, 2);
}

TEST_F(DeviceModel, ModeCommandsFollowTheKnownBoostAndMode)
{
    AddModule({.address = 3, .version = 0x36B, .fireMode = true});
    Connect();
    auto& module = Registered<TAutoControl>(3);
    module.modeState = 2;  // unknown
    const uint32_t before = platform.TickCount();
    EXPECT_EQ(module.SetBoost(true), 0);
    EXPECT_GE(platform.TickCount() - before, 100u);
    EXPECT_EQ(module.boostState, 1);
    EXPECT_TRUE(SimModuleAt(3).BoostOff());
    EXPECT_FALSE(SimModuleAt(3).FireMode()) << "unknown mode sends no fire-mode bit";
    EXPECT_EQ(module.modeState, 2) << "a boost command tells nothing of the mode";

    EXPECT_EQ(module.SetTestMode(false), 0);
    EXPECT_TRUE(SimModuleAt(3).FireMode());
    EXPECT_TRUE(SimModuleAt(3).BoostOff());
    module.Poll();
    EXPECT_EQ(module.modeState, 0);
    EXPECT_EQ(module.SetBoost(false), 0);
    EXPECT_EQ(module.boostState, 0);
    EXPECT_FALSE(SimModuleAt(3).BoostOff());
    EXPECT_TRUE(SimModuleAt(3).FireMode());
}

TEST_F(DeviceModel, HighVoltageAndMotorOperations)
{
    AddModule({.kind = TModuleKind::HighVoltage, .address = 5, .channels = 4, .hvSetting = 90});
    TSimModule& motorSim = AddModule({.kind = TModuleKind::Motor, .address = 6});
    Connect();
    auto& hv = Registered<THVControl>(5);
    EXPECT_EQ(hv.hvSetting, 90);
    EXPECT_EQ(hv.WriteHVSetting(200), 0);
    EXPECT_EQ(hv.hvSetting, 200);
    EXPECT_EQ(hv.ReadHVSetting(), 200);
    // The charges are derived from the resistances, never set: cleared channels get the least.
    ASSERT_EQ(hv.ClassifyChannel(1, 1000, {}), 0);  // 100 ohms at setting 200: 1414 V, held
    EXPECT_EQ(hv.ChannelCharge(1), 450);
    EXPECT_EQ(hv.WriteHVSetting(1), 0);
    EXPECT_EQ(hv.ChannelCharge(1), 100);
    EXPECT_EQ(hv.ChannelCharge(4), 0) << "a 4-channel module has no channel 5";
    hv.ClearChannels();
    EXPECT_EQ(hv.ChannelCharge(1), 1);

    auto& motor = Registered<TMotorControl>(6);
    field->ClearRecord();
    EXPECT_EQ(motor.RotateLeft(25, 127), 0);
    EXPECT_EQ(motor.TurnCenter(255), 0);
    const auto moves = SentFrames(0x8C);
    ASSERT_EQ(moves.size(), 2u);
    EXPECT_EQ(moves[0].bytes[1], 0x81);
    EXPECT_EQ(moves[0].bytes[2], 127);
    EXPECT_EQ(moves[0].bytes[3], 25);
    EXPECT_EQ(moves[1].bytes[1], 0x98);
    EXPECT_EQ(moves[1].bytes[3], 0);
    motorSim.Faults().silentFromNs = 0;
    EXPECT_EQ(motor.TurnLeft(10), kLinkNoReply);
}

}  // namespace
}  // namespace kv::test
