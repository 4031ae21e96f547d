#include "rigs/LinkFixture.h"

namespace kv::test {
namespace {

// A module memory: cue writes are stored in order and echoed, cue reads give them back.
class MemoryCommands : public LinkFixture {
protected:
    MemoryCommands()
    {
        bus->onWrite = [this](int converter, const std::vector<uint8_t>& frame) {
            if (frame[0] == 0x91) {
                stored.push_back({frame.begin(), frame.begin() + 6});
                auto echo = stored.back();
                echo[0] = 0x6E;
                if (corruptEcho)
                    echo[3] ^= 1;
                bus->DeliverFrame(converter, echo, 4);
            } else if (frame[0] == 0x92) {
                const size_t record = frame[3] + 256u * frame[4] - 1;
                if (record < stored.size()) {
                    auto reply = stored[record];
                    reply[0] = 0x6D;
                    bus->DeliverFrame(converter, reply, 4);
                }
            }
        };
    }
    std::vector<std::vector<uint8_t>> stored;
    bool corruptEcho = false;
};

TEST_F(MemoryCommands, CueWritesEncodeTensUnitsAndTheChannelHighBit)
{
    ASSERT_EQ(port->WriteCueFine(3, 0, -1, 12345, 0), kLinkOk);
    EXPECT_EQ(WrittenFrames()[0], Wire({0x91, 0x00, 0x7B, 0x01, 0x44, 3}));

    const uint32_t start = platform.TickCount();
    ASSERT_EQ(port->WriteCue(3, 0, 12345, 0), kLinkOk);
    EXPECT_EQ(WrittenFrames()[1], Wire({0x91, 0x00, 0x7B, 0x01, 0x40, 3}));
    EXPECT_GE(platform.TickCount() - start, 70u);

    ASSERT_EQ(port->WriteCueFine(3, 0, -1, 12345, 300), kLinkOk);
    EXPECT_EQ(WrittenFrames()[2], Wire({0x91, 0x00, 0x7B, 0x2D, 0x45, 3}));
}

TEST_F(MemoryCommands, AFineWriteThatWasStoredDifferentlyFails)
{
    corruptEcho = true;
    EXPECT_EQ(port->WriteCueFine(3, 0, -1, 12345, 0), kLinkNotConnected);
}

TEST_F(MemoryCommands, CueReadDecodesBothTimeFormsAndTheHighChannelBit)
{
    stored.push_back({0x91, 0x00, 0x7B, 0x01, 0x45, 0x03});
    int time = 0;
    int channel = 0;
    ASSERT_EQ(port->ReadCue(3, 0, -1, 0, true, time, channel), kLinkOk);
    EXPECT_EQ(WrittenFrames()[0], Wire({0x92, 0, 0, 1, 0, 3}));
    EXPECT_EQ(time, 12344);
    EXPECT_EQ(channel, 256);
    ASSERT_EQ(port->ReadCue(3, 0, -1, 0, false, time, channel), kLinkOk);
    EXPECT_EQ(time, 12340);

    EXPECT_EQ(port->ReadCue(3, 0, -1, 300, false, time, channel), kLinkNoReply);
    EXPECT_EQ(WrittenFrames().back(), Wire({0x92, 0, 0, 0x2D, 0x01, 3}));
}

TEST_F(MemoryCommands, MotorCuesRoundTripThroughTheirThreeRecords)
{
    ASSERT_EQ(port->WriteMotorCue(4, 0, -1, 5000, kMotorLeft, 200, 0), kLinkOk);
    ASSERT_EQ(port->WriteMotorCue(4, 0, -1, 7000, kMotorRotateRight, 128, 25), kLinkOk);
    ASSERT_EQ(stored.size(), 6u);
    EXPECT_EQ(stored[3], (std::vector<uint8_t>{0x91, 0, 70, 128, 0, 4}));
    EXPECT_EQ(stored[4], (std::vector<uint8_t>{0x91, 0, 70, 25, 1, 4}));
    EXPECT_EQ(stored[5], (std::vector<uint8_t>{0x91, 0, 70, 0x91, 2, 4}));

    int time = 0;
    std::string letter;
    int p1 = 0;
    int p2 = 0;
    ASSERT_EQ(port->ReadMotorCue(4, 0, -1, 0, time, letter, p1, p2), kLinkOk);
    EXPECT_EQ(time, 5000);
    EXPECT_EQ(letter, "L");
    EXPECT_EQ(p1, 0);
    EXPECT_EQ(p2, 200);
    ASSERT_EQ(port->ReadMotorCue(4, 0, -1, 1, time, letter, p1, p2), kLinkOk);
    EXPECT_EQ(time, 7000);
    EXPECT_EQ(letter, "RT");
    EXPECT_EQ(p1, 128);
    EXPECT_EQ(p2, 25);

    stored[4][2] = 71;  // records of different times are no motor cue
    EXPECT_EQ(port->ReadMotorCue(4, 0, -1, 1, time, letter, p1, p2), kLinkNotConnected);
    EXPECT_EQ(port->ReadMotorCue(4, 0, -1, 2, time, letter, p1, p2), kLinkNoReply);
}

TEST_F(MemoryCommands, AMotorCueWriteStopsAtTheFirstMismatch)
{
    corruptEcho = true;
    EXPECT_EQ(port->WriteMotorCue(4, 0, -1, 5000, kMotorLeft, 200, 0), kLinkNotConnected);
    EXPECT_EQ(bus->Writes().size(), 1u);
}

using ControllerCommands = LinkFixture;

TEST_F(ControllerCommands, CueWriteCarriesTheModuleAddressAndTwelveChannelBits)
{
    Answer(0x91, {0x6E, 0, 0, 0, 0, 0});
    const uint32_t start = platform.TickCount();
    ASSERT_EQ(port->WriteControllerCue(0, -1, 12, 12345, 4094), kLinkOk);
    EXPECT_EQ(WrittenFrames()[0], Wire({0x91, 0x00, 0x7B, 0xFF, 0x4F, 12}));
    EXPECT_GE(platform.TickCount() - start, 100u);

    Answer(0x92, {0x91, 0x00, 0x7B, 0xFF, 0x4F, 12});
    int address = 0;
    int time = 0;
    int channel = 0;
    ASSERT_EQ(port->ReadControllerCue(0, -1, 9, address, time, channel), kLinkOk);
    EXPECT_EQ(WrittenFrames()[1], Wire({0x92, 0, 0, 10, 0, 0}));
    EXPECT_EQ(address, 12);
    EXPECT_EQ(time, 12340);
    EXPECT_EQ(channel, 4094);

    // The pause follows a failed exchange too.
    bus->onWrite = nullptr;
    const uint32_t unanswered = platform.TickCount();
    EXPECT_EQ(port->WriteControllerCue(0, -1, 12, 12345, 4094), kLinkNoReply);
    EXPECT_GE(platform.TickCount() - unanswered, 70u + 100u);
}

TEST_F(ControllerCommands, EraseAcceptsOnlyTheControllersAnswerAndWaitsLong)
{
    Answer(0x8A, {0x7F, 0x43, 0x6C, 0x45, 0x65, 0x01}, 20000);
    EXPECT_EQ(port->EraseController(0), kLinkWriteFailed);
    EXPECT_EQ(WrittenFrames()[0], Wire({0x8A, 0, 0, 0, 0, 0}));
    EXPECT_EQ(port->ReplyTimeout, 70);
    Answer(0x8A, {0x7F, 0x43, 0x6C, 0x45, 0x65, 0x00}, 20000);
    EXPECT_EQ(port->EraseController(0), kLinkOk);
}

using MaintenanceCommands = LinkFixture;

TEST_F(MaintenanceCommands, ErasesUseTheirWindows)
{
    Answer(0x8A, {0x7F, 0, 0, 0, 0, 3}, 4500);
    EXPECT_EQ(port->EraseMemory(3, 0, -1), kLinkOk);
    EXPECT_EQ(WrittenFrames()[0], Wire({0x8A, 0, 0, 0, 0, 3}));
    Answer(0x8A, {0x7F, 0, 0, 0, 0, 3}, 5100);
    EXPECT_EQ(port->EraseMemory(3, 0, -1), kLinkNoReply);
    platform.Sleep(500);  // the late answer is purged by the next write
    Answer(0x95, {0x7F, 0, 0, 0, 0, 3}, 2900);
    EXPECT_EQ(port->FastEraseMemory(3, 0, -1), kLinkOk);
    EXPECT_EQ(WrittenFrames()[2], Wire({0x95, 0, 0, 0, 0, 3}));
    Answer(0x95, {0x7F, 0, 0, 0, 0, 3}, 3100);
    EXPECT_EQ(port->FastEraseMemory(3, 0, -1), kLinkNoReply);
    EXPECT_EQ(port->ReplyTimeout, 70);
}

TEST_F(MaintenanceCommands, MemoryCounterAndConfigurationReads)
{
    Answer(0x94, {0x6B, 1, 2, 3, 4, 3});
    std::array<uint8_t, 4> bytes{};
    ASSERT_EQ(port->ReadMemory(3, 0, -1, 0x0400 + 4 * 7935, bytes), kLinkOk);
    EXPECT_EQ(WrittenFrames()[0], Wire({0x94, 0x7F, 0xFC, 0, 0, 3}));
    EXPECT_EQ(bytes, (std::array<uint8_t, 4>{1, 2, 3, 4}));

    Answer(0x8E, {0x71, 0x12, 0x34, 0, 0, 3});
    int counter = 0;
    ASSERT_EQ(port->ReadBlackBoxCounter(3, 0, -1, counter), kLinkOk);
    EXPECT_EQ(counter, 0x1234);

    Answer(0x82, {0x7D, 0x01, 0xFD, 180, 0xFF, 3});
    int value = 0;
    int check = 0;
    ASSERT_EQ(port->ReadConfig(3, 0, -1, kConfigHighVoltage, value, check), kLinkOk);
    EXPECT_EQ(WrittenFrames().back(), Wire({0x82, 0x01, 0xFD, 0, 0, 3}));
    EXPECT_EQ(value, 180);

    Answer(0x81, {0x7E, 0x01, 0xFD, 200, 0xFF, 3});
    ASSERT_EQ(port->WriteConfig(3, 0, -1, kConfigHighVoltage, 200), kLinkOk);
    EXPECT_EQ(WrittenFrames().back(), Wire({0x81, 0x01, 0xFD, 200, 0xFF, 3}));
}

// A module whose address register answers the read-back with storedAddress.
class AddressChange : public LinkFixture {
protected:
    AddressChange()
    {
        bus->onWrite = [this](int converter, const std::vector<uint8_t>& frame) {
            if (frame[0] == 0x81 && acceptsWrite)
                storedAddress = frame[3];
            if (frame[0] == 0x82)
                bus->DeliverFrame(converter, {0x7D, 0x01, 0xFE, storedAddress,
                                              static_cast<uint8_t>(255 - storedAddress), frame[5]},
                                  4);
            if (frame[0] == 0x8F)
                bus->DeliverFrame(converter, {0x70, 'O', 'k', 0, 16, frame[5]}, 4);
        };
    }
    uint8_t storedAddress = 5;
    bool acceptsWrite = true;
};

TEST_F(AddressChange, WritesReadsBackAndIdentifiesAtTheOldAddress)
{
    ASSERT_EQ(port->ChangeAddress(5, 17, 0, -1), kLinkOk);
    const auto frames = WrittenFrames();
    ASSERT_EQ(frames.size(), 3u);
    EXPECT_EQ(frames[0], Wire({0x81, 0x01, 0xFE, 17, 238, 5}));
    EXPECT_EQ(frames[1], Wire({0x82, 0x01, 0xFE, 0, 0, 5}));
    EXPECT_EQ(frames[2], Wire({0x8F, 1, 2, 3, 4, 5}));
}

TEST_F(AddressChange, AReadBackOfTheOldAddressFailsAllThreePasses)
{
    acceptsWrite = false;
    EXPECT_EQ(port->ChangeAddress(5, 17, 0, -1), kLinkNotConnected);
    EXPECT_EQ(WrittenFrames().size(), 6u);  // three writes, three read-backs, no identification
}

}  // namespace
}  // namespace kv::test
