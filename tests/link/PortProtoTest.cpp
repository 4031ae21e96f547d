#include "rigs/LinkFixture.h"

#include "support/text/Conversions.h"

namespace kv::test {
namespace {

using RuntimeCommands = LinkFixture;

TEST_F(RuntimeCommands, StatusQueryDecodesBothForms)
{
    Answer(0x85, {0x7A, 0x81, 0xF4, 0x30, 0xD4, 0x05});
    double a = 9;
    double b = 9;
    int flag = 9;
    ASSERT_EQ(port->QueryStatus(5, 0, -1, false, a, b, flag), kLinkOk);
    EXPECT_EQ(WrittenFrames()[0], Wire({0x85, 0, 0, 0, 0, 5}));
    EXPECT_DOUBLE_EQ(a, 0.5);
    EXPECT_DOUBLE_EQ(b, 12.5);
    EXPECT_EQ(flag, 1);
    // The top bit is the mode flag in the high-voltage form too: 3326.8 V read it as volts.
    ASSERT_EQ(port->QueryStatus(5, 0, -1, true, a, b, flag), kLinkOk);
    EXPECT_DOUBLE_EQ(a, 50.0);
    EXPECT_EQ(flag, 1);

    bus->onWrite = nullptr;
    EXPECT_EQ(port->QueryStatus(5, 0, -1, false, a, b, flag), kLinkNoReply);
    EXPECT_EQ(a, 0);
    EXPECT_EQ(b, 0);
    EXPECT_EQ(flag, 2);
}

TEST_F(RuntimeCommands, VersionQueryReadsThreeHexDigits)
{
    Answer(0x80, {0x7F, 'x', '1', '4', '5', 3});
    int version = 0;
    ASSERT_EQ(port->QueryVersion(3, 0, -1, version), kLinkOk);
    EXPECT_EQ(WrittenFrames()[0], Wire({0x80, 0, 1, 2, 3, 3}));
    EXPECT_EQ(version, 0x145);
    Answer(0x80, {0x7F, 0, 'a', 'f', '?', 3});
    ASSERT_EQ(port->QueryVersion(3, 0, -1, version), kLinkOk);
    EXPECT_EQ(version, 0xA * 256 + 0xF * 16 - 1);

    int converter = -1;
    ASSERT_EQ(port->QueryVersionAny(3, converter, version), kLinkOk);
    EXPECT_EQ(converter, 0);
}

TEST_F(RuntimeCommands, TemperatureQueryReadsSignAndTwoDigits)
{
    double temperature = 1;
    Answer(0x8D, {0x7F, '-', '0', '7', 0, 4});
    ASSERT_EQ(port->QueryTemperature(4, 0, -1, temperature), kLinkOk);
    EXPECT_EQ(temperature, -7);
    Answer(0x8D, {0x7F, '+', '2', '3', 0, 4});
    ASSERT_EQ(port->QueryTemperature(4, 0, -1, temperature), kLinkOk);
    EXPECT_EQ(temperature, 23);
    Answer(0x8D, {0x7F, '+', '?', '?', 0, 4});
    ASSERT_EQ(port->QueryTemperature(4, 0, -1, temperature), kLinkOk);
    EXPECT_EQ(temperature, 0);
}

TEST_F(RuntimeCommands, ClockQueryGivesTimeAndKindLetter)
{
    Answer(0x89, {0x76, 0x00, 0x7B, 'Q', 0, 8});
    int clockMs = 0;
    char kind = 0;
    ASSERT_EQ(port->QueryClock(8, 0, -1, clockMs, kind), kLinkOk);
    EXPECT_EQ(clockMs, 12300);
    EXPECT_EQ(kind, 'Q');
}

TEST_F(RuntimeCommands, IdentificationNeedsOkForTheChannelCountAndPauses)
{
    Answer(0x8F, {0x70, 'O', 'k', 0x01, 0x00, 6});
    int count = 0;
    uint32_t start = platform.TickCount();
    ASSERT_EQ(port->QueryIdentification(6, 0, -1, count), kLinkOk);
    EXPECT_EQ(WrittenFrames()[0], Wire({0x8F, 1, 2, 3, 4, 6}));
    EXPECT_EQ(count, 256);
    EXPECT_GE(platform.TickCount() - start, 200u);

    Answer(0x8F, {0x70, 'N', 'o', 0x01, 0x00, 6});
    ASSERT_EQ(port->QueryIdentification(6, 0, -1, count), kLinkOk);
    EXPECT_EQ(count, 0);

    // The single form pauses even when nobody answers.
    bus->onWrite = nullptr;
    start = platform.TickCount();
    EXPECT_EQ(port->QueryIdentificationSingle(6, 0), kLinkNoReply);
    EXPECT_GE(platform.TickCount() - start, 270u);
}

TEST_F(RuntimeCommands, ExtendedIdentificationTakesAValidTrailer)
{
    bool receiveSeenOff = false;
    bus->onWrite = [&](int converter, const std::vector<uint8_t>&) {
        receiveSeenOff = !port->ReceiveEnabled;
        auto bytes = Wire({0x70, 'O', 'k', 0, 16, 6});
        bytes.push_back(0x02);
        bytes.push_back(0xFD);
        bus->Deliver(converter, bytes, 3);
    };
    int count = 0;
    int trailer = 0;
    ASSERT_EQ(port->QueryIdentificationExtended(6, 0, count, trailer), kLinkOk);
    EXPECT_TRUE(receiveSeenOff);
    EXPECT_TRUE(port->ReceiveEnabled);
    EXPECT_EQ(count, 16);
    EXPECT_EQ(trailer, 2);

    bus->onWrite = [&](int converter, const std::vector<uint8_t>&) {
        auto bytes = Wire({0x70, 'O', 'k', 0, 16, 6});
        bytes.push_back(0x02);
        bytes.push_back(0x02);
        bus->Deliver(converter, bytes, 3);
    };
    ASSERT_EQ(port->QueryIdentificationExtended(6, 0, count, trailer), kLinkOk);
    EXPECT_EQ(trailer, -1);

    bus->onWrite = nullptr;
    EXPECT_EQ(port->QueryIdentificationExtended(6, 0, count, trailer), kLinkNoReply);
    EXPECT_EQ(count, 0);
    EXPECT_EQ(trailer, -1);
    EXPECT_TRUE(port->ReceiveEnabled);
}

TEST_F(RuntimeCommands, FireCommandBytesAndRepeats)
{
    ASSERT_EQ(port->FireChannel(7, 0, -1, 0, 0), kLinkOk);
    EXPECT_EQ(WrittenFrames().back(), Wire({0x84, 0x01, 0x00, 0x80, 0x00, 7}));
    ASSERT_EQ(port->FireChannel(7, 0, -1, 255, 0), kLinkOk);
    EXPECT_EQ(WrittenFrames().back(), Wire({0x84, 0x00, 0x01, 0x80, 0x00, 7}));
    ASSERT_EQ(port->FireChannel(7, 0, 0, 2, 300), kLinkOk);
    const auto frames = WrittenFrames();
    ASSERT_EQ(frames.size(), 5u);
    EXPECT_EQ(frames[2], frames[4]);
    EXPECT_EQ(frames[4], Wire({0x84, 0x03, 0x00, 0x82, 0x2C, 7}));
}

TEST_F(RuntimeCommands, SetChargeAsksForAReply)
{
    Answer(0x84, {0x7B, 0, 0, 0, 0, 7});
    ASSERT_EQ(port->SetCharge(7, 0, -1, 300), kLinkOk);
    EXPECT_EQ(WrittenFrames()[0], Wire({0x84, 0, 0, 0x82, 0xAC, 7}));
}

TEST_F(RuntimeCommands, ModeHighVoltageOffAndMotorFrames)
{
    const uint32_t start = platform.TickCount();
    ASSERT_EQ(port->SetMode(9, 0, 1, 3), kLinkOk);
    EXPECT_GE(platform.TickCount() - start, 20u);
    EXPECT_EQ(WrittenFrames().size(), 3u);
    EXPECT_EQ(WrittenFrames()[0], Wire({0x88, 3, 0, 0, 0, 9}));

    Answer(0x88, {0x77, 0, 0, 0, 0, 9});
    ASSERT_EQ(port->HighVoltageOff(9, 0, -1), kLinkOk);
    EXPECT_EQ(WrittenFrames().back(), Wire({0x88, 1, 0, 1, 0, 9}));

    Answer(0x8C, {0x73, 0, 0, 0, 0, 9});
    ASSERT_EQ(port->MoveMotor(9, 0, -1, kMotorRotateRight, 128, 25), kLinkOk);
    EXPECT_EQ(WrittenFrames().back(), Wire({0x8C, 0x91, 128, 25, 0, 9}));
}

// Two converters, so that a message sent to one of them only is told apart from a broadcast.
class BroadcastCommands : public LinkFixture {
protected:
    BroadcastCommands() : LinkFixture(2) {}

    // The frame went out exactly once on each converter, and it was the last write.
    void ExpectOnEveryConverter(const std::vector<uint8_t>& record)
    {
        const auto writes = bus->Writes();
        ASSERT_GE(writes.size(), 2u);
        const auto& first = writes[writes.size() - 2];
        const auto& second = writes[writes.size() - 1];
        EXPECT_EQ(first.bytes, Wire(record));
        EXPECT_EQ(second.bytes, Wire(record));
        EXPECT_EQ(first.converter + second.converter, 1) << "one write on each of 0 and 1";
        EXPECT_NE(first.converter, second.converter);
    }
};

TEST_F(BroadcastCommands, ShowMessagesGoToEveryConverter)
{
    ASSERT_EQ(port->SendClock(12345, true), kLinkOk);
    ExpectOnEveryConverter({0x90, 0x00, 0x7B, 0x80, 0, 0});
    ASSERT_EQ(port->SendClock(6553600 + 200, false), kLinkOk);  // wraps at 16 bits
    ExpectOnEveryConverter({0x90, 0x00, 0x02, 0x00, 0, 0});
    const uint8_t id = static_cast<uint8_t>(port->StationId());
    ASSERT_EQ(port->SendStartNotice(1000), kLinkOk);
    ExpectOnEveryConverter({0x10, 0, 10, id, 0, 255});
    ASSERT_EQ(port->SendStopNotice(1000), kLinkOk);
    ExpectOnEveryConverter({0x11, 0, 10, id, 0, 255});
    ASSERT_EQ(port->SendStationSearch(), kLinkOk);
    ExpectOnEveryConverter({0x01, 0, 0, id, 0, 255});
    ASSERT_EQ(port->SendStationStatus(42, 2, 1, 1), kLinkOk);
    ExpectOnEveryConverter({0x04, 0x12, 0x01, id, 42, 255});
    platform.randomValue = 0;
    ASSERT_EQ(port->SendStationAnswer(17), kLinkOk);
    EXPECT_EQ(bus->Writes().size(), 14u);
}

// A start point before 0 (a negative offset) or a show beyond the 16-bit count: the notices
// carry the nearest time the bus can, not one wrapped to the other end of the range.
TEST_F(BroadcastCommands, NoticeTimesStayWithinTheBusRange)
{
    const uint8_t id = static_cast<uint8_t>(port->StationId());
    ASSERT_EQ(port->SendStartNotice(-150), kLinkOk);
    ExpectOnEveryConverter({0x10, 0, 0, id, 0, 255});
    ASSERT_EQ(port->SendStopNotice(-2000), kLinkOk);
    ExpectOnEveryConverter({0x11, 0, 0, id, 0, 255});
    ASSERT_EQ(port->SendStopNotice(6553600 + 200), kLinkOk);
    ExpectOnEveryConverter({0x11, 0xFF, 0xFF, id, 0, 255});
    ASSERT_EQ(port->SendStartNotice(6553599), kLinkOk);
    ExpectOnEveryConverter({0x10, 0xFF, 0xFF, id, 0, 255});
}

TEST_F(RuntimeCommands, StationQueryUsesItsOwnWindowAndRestoresTheOld)
{
    bus->onWrite = [&](int converter, const std::vector<uint8_t>&) {
        bus->DeliverFrame(converter, {0x02, 3, 0, 99, 0, 255}, 250);
    };
    int version = 0;
    int peer = 0;
    ASSERT_EQ(port->QueryStation(0, 99, version, peer), kLinkOk);
    EXPECT_EQ(WrittenFrames()[0],
              Wire({0x01, 0, 0, static_cast<uint8_t>(port->StationId()), 99, 255}));
    EXPECT_EQ(version, 3);
    EXPECT_EQ(peer, 99);
    EXPECT_EQ(port->ReplyTimeout, 70);
}

TEST_F(RuntimeCommands, StationAnswerWaitsARandomPauseAndCarriesTheMajorVersion)
{
    platform.randomValue = 149;
    const uint32_t start = platform.TickCount();
    ASSERT_EQ(port->SendStationAnswer(17), kLinkOk);
    EXPECT_GE(bus->Writes()[0].tick - start, 149u);
    const std::string version = AppVersionText();
    const auto major = static_cast<uint8_t>(std::stoi(version.substr(0, version.find('.'))));
    EXPECT_EQ(WrittenFrames()[0],
              Wire({0x02, major, 0, static_cast<uint8_t>(port->StationId()), 17, 255}));
}

TEST(StationId, IsDrawnFrom1To255)
{
    TVirtualPlatform platform;
    InstallPlatform(&platform);
    platform.randomValue = 254;
    EXPECT_EQ(TPortProto(std::make_unique<TScriptedPort>()).StationId(), 255);
    platform.randomValue = 255;
    EXPECT_EQ(TPortProto(std::make_unique<TScriptedPort>()).StationId(), 1);
    InstallPlatform(nullptr);
}

}  // namespace
}  // namespace kv::test
