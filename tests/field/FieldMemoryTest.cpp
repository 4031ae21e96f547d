// Scenario memory by generation, erase, black box and configuration bytes.
#include "rigs/FieldRig.h"

#include <gtest/gtest.h>

namespace kv {
namespace {

const char* const kGenerations = R"(
[device1]
Kind=module
Address=1
Version=147
Channels=8
[device2]
Kind=module
Address=2
Version=150
Channels=4
EraseMs=2500
[device3]
Kind=module
Address=3
Version=36B
Channels=2
EraseMs=2500
FastEraseMs=800
BlackBox=3
[device4]
Kind=module
Address=4
Version=46B
Channels=8
FastEraseMs=800
[device5]
Kind=hv
Address=5
Version=36B
HVSetting=40
[device6]
Kind=module
Address=6
Version=166
)";

const TBytes kEmptyRecord{0xFF, 0xFF, 0, 0};

TBytes Args(const TBytes& frame)
{
    return frame.size() >= 5 ? TBytes(frame.begin() + 1, frame.begin() + 5) : TBytes{};
}

TEST(FieldMemory, OldFirmwareKeepsOneTimePerChannel)
{
    TFieldRig rig(kGenerations);
    // Channel 3 (N = 4) at 12 345 ms: T 123, tens 4; plain writes are never answered.
    EXPECT_TRUE(rig.Ask(Frame(0x91, 0x00, 0x7B, 4, 0x40, 1)).empty());
    EXPECT_EQ(rig.Ask(Frame(0x92, 0, 0, 4, 0, 1)), Frame(0x6D, 0x00, 0x7B, 4, 0x40, 1));
    EXPECT_EQ(rig.Ask(Frame(0x92, 0, 0, 5, 0, 1)), Frame(0x6D, 0xFF, 0xFF, 5, 0, 1));
    EXPECT_TRUE(rig.Ask(Frame(0x8A, 0, 0, 0, 0, 1)).empty()) << "no erase before 0x148";
}

TEST(FieldMemory, RecordListsFillInWriteOrderIn10msSteps)
{
    TFieldRig rig(kGenerations);
    rig.Send(Frame(0x91, 0x00, 0x7B, 8, 0x44, 2));  // a fine time reaches old firmware
    rig.Send(Frame(0x91, 0x00, 0x05, 1, 0x00, 2));
    EXPECT_EQ(Args(rig.Ask(Frame(0x92, 0, 0, 1, 0, 2))), (TBytes{0x00, 0x7B, 8, 0x40}));
    EXPECT_EQ(Args(rig.Ask(Frame(0x92, 0, 0, 2, 0, 2))), (TBytes{0x00, 0x05, 1, 0x00}));
    EXPECT_EQ(Args(rig.Ask(Frame(0x92, 0, 0, 3, 0, 2))), kEmptyRecord);
    EXPECT_TRUE(rig.Ask(Frame(0x92, 0, 0, 5, 0, 2)).empty()) << "beyond the memory";
}

TEST(FieldMemory, FineWritesAreAcknowledgedWithTheStoredRecord)
{
    TFieldRig rig(kGenerations);
    EXPECT_EQ(rig.Ask(Frame(0x91, 0x00, 0x7B, 0x2D, 0x45, 3)), Frame(0x6E, 0x00, 0x7B, 0x2D, 0x45, 3));
    EXPECT_EQ(rig.Ask(Frame(0x91, 0x00, 0x7C, 1, 0x00, 3)), Frame(0x6E, 0x00, 0x7C, 1, 0x00, 3));
    // Full: the acknowledgement shows that nothing was stored.
    EXPECT_EQ(Args(rig.Ask(Frame(0x91, 0x00, 0x7D, 2, 0x00, 3))), kEmptyRecord);
    EXPECT_EQ(rig.Ask(Frame(0x92, 0, 0, 1, 0, 3)), Frame(0x6D, 0x00, 0x7B, 0x2D, 0x45, 3));
    // The read ended the run of writes: the next run starts the list again, the rest stays.
    EXPECT_EQ(Args(rig.Ask(Frame(0x91, 0x00, 0x7D, 2, 0x00, 3))), (TBytes{0x00, 0x7D, 2, 0x00}));
    EXPECT_EQ(Args(rig.Ask(Frame(0x92, 0, 0, 1, 0, 3))), (TBytes{0x00, 0x7D, 2, 0x00}));
    EXPECT_EQ(Args(rig.Ask(Frame(0x92, 0, 0, 2, 0, 3))), (TBytes{0x00, 0x7C, 1, 0x00}));
}

TEST(FieldMemory, MotorModulesKeepEachCueAsThreeEchoedRecords)
{
    TFieldRig rig("[device1]\nKind=motor\nAddress=8\nVersion=165\n");
    // "RT" at 7000 ms, speed 128, 2.5 s: speed, duration and sub-code in records 0, 1, 2.
    const TBytes records[3] = {Frame(0x91, 0x00, 70, 128, 0, 8), Frame(0x91, 0x00, 70, 25, 1, 8),
                               Frame(0x91, 0x00, 70, 0x91, 2, 8)};
    for (const TBytes& record : records)
        EXPECT_EQ(Args(rig.Ask(record)), Args(record));
    for (uint8_t number = 1; number <= 3; ++number)
        EXPECT_EQ(rig.Ask(Frame(0x92, 0, 0, number, 0, 8)),
                  Frame(0x6D, 0x00, 70, records[number - 1][3], static_cast<uint8_t>(number - 1), 8));
    EXPECT_EQ(Args(rig.Ask(Frame(0x92, 0, 0, 4, 0, 8))), kEmptyRecord);
}

TEST(FieldMemory, EraseAnswersOnlyWhenDoneAndIgnoresEverythingMeanwhile)
{
    TFieldRig rig(kGenerations);
    rig.Send(Frame(0x91, 0x00, 0x7B, 1, 0x00, 3));
    rig.Gather(10);
    const uint32_t sent = rig.Now();
    rig.Send(Frame(0x8A, 0, 0, 0, 0, 3));
    EXPECT_TRUE(rig.Ask(Frame(0x80, 0, 1, 2, 3, 3), 0, 2000).empty()) << "busy erasing";
    const TBytes reply = rig.Gather(1000);
    EXPECT_EQ(reply, Frame(0x7F, 'C', 'l', 'E', 'e', 3));
    const auto frames = rig.field->Frames();
    EXPECT_GE(frames.back().Tick() - sent, 2500u);
    EXPECT_LT(frames.back().Tick() - sent, 2520u);
    EXPECT_EQ(Args(rig.Ask(Frame(0x92, 0, 0, 1, 0, 3))), kEmptyRecord);
}

TEST(FieldMemory, FastEraseOnlyFrom46B)
{
    TFieldRig rig(kGenerations);
    EXPECT_TRUE(rig.Ask(Frame(0x95, 0, 0, 0, 0, 3), 0, 1000).empty());
    const uint32_t sent = rig.Now();
    EXPECT_EQ(rig.Ask(Frame(0x95, 0, 0, 0, 0, 4), 0, 1000), Frame(0x7F, 'C', 'l', 'E', 'e', 4));
    EXPECT_GE(rig.field->Frames().back().Tick() - sent, 800u);
}

TEST(FieldMemory, BlackBoxLogsShotsAfterWhatItHeld)
{
    TFieldRig rig(kGenerations);
    EXPECT_EQ(rig.Ask(Frame(0x8E, 0, 0, 0, 0, 3)), Frame(0x71, 0, 3, 0, 0, 3));
    rig.Send(Frame(0x84, 2, 0, 0x80, 0, 3));
    EXPECT_EQ(rig.Ask(Frame(0x8E, 0, 0, 0, 0, 3)), Frame(0x71, 0, 4, 0, 0, 3));
    EXPECT_EQ(Args(rig.Ask(Frame(0x94, 0x04, 0x0C, 0, 0, 3))), (TBytes{1, 2, 0, 0}));
    EXPECT_EQ(Args(rig.Ask(Frame(0x94, 0x04, 0x10, 0, 0, 3))), (TBytes{0xFF, 0xFF, 0xFF, 0xFF}));
    EXPECT_EQ(Args(rig.Ask(Frame(0x94, 0x7F, 0xFC, 0, 0, 3))), (TBytes{0xFF, 0xFF, 0xFF, 0xFF}));
}

TEST(FieldMemory, AcceptedAddressWriteRenumbersAfterTheConfirmation)
{
    TFieldRig rig(kGenerations);
    EXPECT_TRUE(rig.Ask(Frame(0x81, 0x01, 0xFE, 42, 213, 3)).empty());
    EXPECT_EQ(rig.Ask(Frame(0x82, 0x01, 0xFE, 0, 0, 3)), Frame(0x7D, 0x01, 0xFE, 42, 213, 3));
    EXPECT_EQ(rig.Ask(Frame(0x8F, 1, 2, 3, 4, 3)), Frame(0x70, 'O', 'k', 0, 2, 3));
    EXPECT_TRUE(rig.Ask(Frame(0x80, 0, 1, 2, 3, 3)).empty());
    EXPECT_EQ(rig.Ask(Frame(0x80, 0, 1, 2, 3, 42)), Frame(0x7F, 'V', '3', '6', 'B', 42));
}

TEST(FieldMemory, AddressWriteNeedsItsComplementAndNewEnoughFirmware)
{
    TFieldRig rig(kGenerations);
    rig.Send(Frame(0x81, 0x01, 0xFE, 42, 212, 3));
    EXPECT_EQ(rig.Ask(Frame(0x82, 0x01, 0xFE, 0, 0, 3)), Frame(0x7D, 0x01, 0xFE, 3, 252, 3));
    rig.Send(Frame(0x81, 0x01, 0xFE, 43, 212, 6));
    EXPECT_EQ(rig.Ask(Frame(0x82, 0x01, 0xFE, 0, 0, 6)), Frame(0x7D, 0x01, 0xFE, 6, 249, 6));
}

TEST(FieldMemory, HighVoltageSettingIsAcknowledgedAndReadBack)
{
    TFieldRig rig(kGenerations);
    EXPECT_EQ(rig.Ask(Frame(0x82, 0x01, 0xFD, 0, 0, 5)), Frame(0x7D, 0x01, 0xFD, 40, 255, 5));
    EXPECT_EQ(rig.Ask(Frame(0x81, 0x01, 0xFD, 90, 255, 5)), Frame(0x7E, 0x01, 0xFD, 90, 255, 5));
    EXPECT_EQ(rig.Ask(Frame(0x82, 0x01, 0xFD, 0, 0, 5)), Frame(0x7D, 0x01, 0xFD, 90, 255, 5));
}

}  // namespace
}  // namespace kv
