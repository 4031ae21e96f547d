// Firing modules answering the runtime commands, byte for byte, by firmware generation.
#include "rigs/FieldRig.h"

#include <gtest/gtest.h>

namespace kv {
namespace {

const char* const kModules = R"(
[field]
Converters=1
[device1]
Kind=module
Address=5
Version=36B
Channels=32
Trailer=0
Output=0.5
Supply=12.5
Temperature=-7
Resistance=8.5
Open=3
Short=4
[device2]
Kind=module
Address=6
Version=150
Channels=16
Mode=test
Open=2
[device3]
Kind=hv
Address=7
Version=36B
Resistances=1:12.5
[device4]
Kind=motor
Address=8
Version=300
[device5]
Kind=module
Address=9
Version=120
ClockQuery=0
)";

TEST(FieldModule, TellsVersionKindAndChannels)
{
    TFieldRig rig(kModules);
    EXPECT_EQ(rig.Ask(Frame(0x80, 0, 1, 2, 3, 5)), Frame(0x7F, 'V', '3', '6', 'B', 5));
    // The trailer byte and its complement follow the identification answer.
    EXPECT_EQ(rig.Ask(Frame(0x8F, 1, 2, 3, 4, 5)),
              Join(Frame(0x70, 'O', 'k', 0, 32, 5), {0x00, 0xFF}));
    EXPECT_EQ(rig.Ask(Frame(0x8F, 1, 2, 3, 4, 6)), Frame(0x70, 'O', 'k', 0, 16, 6));
    EXPECT_EQ(rig.Ask(Frame(0x89, 0, 0, 0, 0, 5)), Frame(0x76, 0, 0, 'A', 0, 5));
    EXPECT_EQ(rig.Ask(Frame(0x89, 0, 0, 0, 0, 7)), Frame(0x76, 0, 0, 'Q', 0, 7));
    EXPECT_EQ(rig.Ask(Frame(0x89, 0, 0, 0, 0, 8)), Frame(0x76, 0, 0, 'P', 0, 8));
    EXPECT_TRUE(rig.Ask(Frame(0x89, 0, 0, 0, 0, 9)).empty()) << "old firmware has no clock query";
    EXPECT_TRUE(rig.Ask(Frame(0x80, 0, 1, 2, 3, 77)).empty()) << "nobody at 77";
}

TEST(FieldModule, StatusCarriesVoltagesAndTheModeBitFrom151)
{
    TFieldRig rig(kModules);
    EXPECT_EQ(rig.Ask(Frame(0x85, 0, 0, 0, 0, 5)), Frame(0x7A, 0x01, 0xF4, 0x30, 0xD4, 5));
    rig.Send(Frame(0x88, 0, 0, 0, 0, 5));  // boost on, test mode
    EXPECT_EQ(rig.Ask(Frame(0x85, 0, 0, 0, 0, 5)), Frame(0x7A, 0x81, 0xF4, 0x30, 0xD4, 5));
    // 0x150 is in test mode too, but its status has no room for the bit yet.
    const TBytes old = rig.Ask(Frame(0x85, 0, 0, 0, 0, 6));
    ASSERT_EQ(old.size(), 7u);
    EXPECT_EQ(old[1] & 0x80, 0);
}

TEST(FieldModule, TemperatureOnlyFrom36B)
{
    TFieldRig rig(kModules);
    EXPECT_EQ(rig.Ask(Frame(0x8D, 0, 0, 0, 0, 5)), Frame(0x7F, '-', '0', '7', 0, 5));
    EXPECT_TRUE(rig.Ask(Frame(0x8D, 0, 0, 0, 0, 6)).empty());
}

TEST(FieldModule, MeasurementFollowsTheFirmwareScale)
{
    TFieldRig rig(kModules);
    // Resistance firmware: tenths of an ohm; open reads as the top of the scale.
    EXPECT_EQ(rig.Ask(Frame(0x83, 1, 0, 0, 0, 5)), Frame(0x7C, 1, 0, 0, 85, 5));
    EXPECT_EQ(rig.Ask(Frame(0x83, 3, 0, 0, 0, 5)), Frame(0x7C, 3, 0, 0xFF, 0xFF, 5));
    EXPECT_EQ(rig.Ask(Frame(0x83, 4, 0, 0, 0, 5)), Frame(0x7C, 4, 0, 0, 0, 5));
    // Older firmware only tells current (4.8) from none (0.15).
    EXPECT_EQ(rig.Ask(Frame(0x83, 1, 0, 0, 0, 6)), Frame(0x7C, 1, 0, 0x12, 0xC0, 6));
    EXPECT_EQ(rig.Ask(Frame(0x83, 2, 0, 0, 0, 6)), Frame(0x7C, 2, 0, 0, 150, 6));
    // High voltage: hundredths of an ohm.
    EXPECT_EQ(rig.Ask(Frame(0x83, 1, 0, 0, 0, 7)), Frame(0x7C, 1, 0, 0x04, 0xE2, 7));
}

TEST(FieldModule, FiresOnlyInFireModeAndOnlyExistingChannels)
{
    TFieldRig rig(kModules);
    EXPECT_TRUE(rig.Ask(Frame(0x84, 1, 0, 0x80, 0, 5)).empty()) << "firing is never answered";
    rig.Send(Frame(0x84, 0, 1, 0x80, 0, 5));  // channel 256: the module has 32
    rig.Send(Frame(0x84, 1, 0, 0x80, 0, 6));  // module 6 is in test mode
    rig.Send(Frame(0x84, 1, 0, 0x80, 0, 5));  // sent again, as with three attempts
    rig.Gather(5);
    const auto shots = rig.field->Shots();
    ASSERT_EQ(shots.size(), 2u);
    EXPECT_EQ(shots[0].address, 5);
    EXPECT_EQ(shots[0].channel, 0);
    EXPECT_EQ(shots[0].source, TShotSource::Command);
    EXPECT_EQ(shots[0].shot, 1);
    EXPECT_EQ(shots[1].shot, 2);
    // The igniter has burnt through.
    EXPECT_EQ(rig.Ask(Frame(0x83, 1, 0, 0, 0, 5)), Frame(0x7C, 1, 0, 0xFF, 0xFF, 5));
}

TEST(FieldModule, ModeCommandSwitchesFiringOnAndOff)
{
    TFieldRig rig(kModules);
    rig.Send(Frame(0x88, 2, 0, 0, 0, 6));  // fire mode
    rig.Send(Frame(0x84, 5, 0, 0x80, 0, 6));
    rig.Send(Frame(0x88, 1, 0, 0, 0, 6));  // boost off, test mode
    rig.Send(Frame(0x84, 6, 0, 0x80, 0, 6));
    rig.Gather(5);
    const auto shots = rig.field->Shots();
    ASSERT_EQ(shots.size(), 1u);
    EXPECT_EQ(shots[0].channel, 4);
}

TEST(FieldModule, HighVoltageChargesAcknowledgesAndDischarges)
{
    TFieldRig rig(kModules);
    // Set-charge 300 V: 0x82, 0x2C + 0x80.
    EXPECT_EQ(rig.Ask(Frame(0x84, 0, 0, 0x82, 0xAC, 7)), Frame(0x7B, 0, 0, 0x82, 0xAC, 7));
    EXPECT_EQ(rig.Ask(Frame(0x85, 0, 0, 0, 0, 7)), Frame(0x7A, 0x0B, 0xB8, 0x30, 0xD4, 7));
    rig.Send(Frame(0x84, 2, 0, 0x81, 0x10, 7));  // fire channel 2, next charge 144 V
    rig.Send(Frame(0x84, 3, 0, 0x80, 0x01, 7));
    rig.Gather(5);
    const auto shots = rig.field->Shots();
    ASSERT_EQ(shots.size(), 2u);
    EXPECT_EQ(shots[0].chargeVolts, 300);
    EXPECT_EQ(shots[1].chargeVolts, 144);
    EXPECT_EQ(rig.Ask(Frame(0x88, 1, 0, 1, 0, 7)), Frame(0x77, 1, 0, 1, 0, 7));
    // Discharged, 0 V, and in test mode: the top bit says so, as on every module.
    EXPECT_EQ(rig.Ask(Frame(0x85, 0, 0, 0, 0, 7)), Frame(0x7A, 0x80, 0, 0x30, 0xD4, 7));
    EXPECT_TRUE(rig.Ask(Frame(0x84, 0, 0, 0x82, 0xAC, 5)).empty()) << "ordinary modules do not charge";
}

TEST(FieldModule, OnlyTheMotorModuleMoves)
{
    TFieldRig rig(kModules);
    EXPECT_EQ(rig.Ask(Frame(0x8C, 0x81, 200, 30, 0, 8)), Frame(0x73, 0x81, 200, 30, 0, 8));
    EXPECT_TRUE(rig.Ask(Frame(0x8C, 0x98, 200, 0, 0, 5)).empty());
}

}  // namespace
}  // namespace kv
