// The command set against the simulated field, in process, on virtual time.
#include "field/bus/FieldClock.h"
#include "field/file/FieldFile.h"
#include "field/bus/FieldPort.h"
#include "link/ClockMessage.h"
#include "link/FireCommand.h"
#include "link/PortProto.h"
#include "link/StationMessages.h"
#include "support/text/IniFile.h"
#include "support/platform/VirtualPlatform.h"

#include <gtest/gtest.h>

namespace kv {
namespace {

const char* const kField = R"(
[field]
Converters=2

[device1]
Kind=module
Address=3
Version=46B
Channels=64
Trailer=0

[device2]
Kind=module
Address=7
Version=268
Channels=16
Converter=1
)";

class FieldLink : public ::testing::Test {
protected:
    FieldLink()
    {
        std::string problem;
        EXPECT_EQ(BuildField(TIniFile::Parse(kField), *field, problem), 0) << problem;
        port = std::make_unique<TPortProto>(std::make_unique<TFieldPort>(field));
        EXPECT_TRUE(port->Reopen());
    }
    ~FieldLink() override { port.reset(); }

    struct TInstalled {
        explicit TInstalled(TPlatform& platform) { InstallPlatform(&platform); }
        ~TInstalled() { InstallPlatform(nullptr); }
    };
    TVirtualPlatform platform;
    TInstalled installed{platform};
    std::shared_ptr<TField> field =
        std::make_shared<TField>(std::make_shared<TPlatformFieldClock>());
    std::unique_ptr<TPortProto> port;
};

TEST_F(FieldLink, SearchProbeFindsEachModuleOnItsConverter)
{
    int converter = -1;
    int version = 0;
    ASSERT_EQ(port->QueryVersionAny(3, converter, version), kLinkOk);
    EXPECT_EQ(converter, 0);
    EXPECT_EQ(version, 0x46B);
    ASSERT_EQ(port->QueryVersionAny(7, converter, version), kLinkOk);
    EXPECT_EQ(converter, 1);
    EXPECT_EQ(version, 0x268);
    EXPECT_EQ(port->QueryVersionAny(50, converter, version), kLinkNoReply);
}

// A converter that gives no good echo fails every broadcast, which once counted as sent when
// the last converter's echo was good; the search probe still listens for the answers.
TEST_F(FieldLink, AConverterWithoutAGoodEchoFailsABroadcastAndTheProbeStillHearsTheModules)
{
    field->SetBadEcho(0, true);
    EXPECT_EQ(port->SendClock(12300, false), kLinkWriteFailed);
    int converter = -1;
    int version = 0;
    ASSERT_EQ(port->QueryVersionAny(7, converter, version), kLinkOk);
    EXPECT_EQ(converter, 1);
    ASSERT_EQ(port->QueryVersionAny(3, converter, version), kLinkOk)
        << "the frame was on its line, only its echo was bad";
    EXPECT_EQ(converter, 0);
    EXPECT_EQ(port->QueryVersionAny(50, converter, version), kLinkWriteFailed);
    field->SetBadEcho(0, false);
    EXPECT_EQ(port->SendClock(12300, false), kLinkOk);
}

TEST_F(FieldLink, IdentificationAndTrailerOfAModule)
{
    int count = 0;
    int trailer = 0;
    ASSERT_EQ(port->QueryIdentificationExtended(3, 0, count, trailer), kLinkOk);
    EXPECT_EQ(count, 64);
    EXPECT_EQ(trailer, 0);
    ASSERT_EQ(port->QueryIdentificationExtended(7, 1, count, trailer), kLinkOk);
    EXPECT_EQ(count, 16);
    EXPECT_EQ(trailer, -1);
}

TEST_F(FieldLink, CuesWrittenFineReadBackTheSame)
{
    ASSERT_EQ(port->WriteCueFine(3, 0, 0, 12344, 300), kLinkOk);
    int time = 0;
    int channel = 0;
    ASSERT_EQ(port->ReadCue(3, 0, 0, 0, true, time, channel), kLinkOk);
    EXPECT_EQ(time, 12344);
    EXPECT_EQ(channel, 300);
}

TEST_F(FieldLink, AConverterPulledOutIsLostAndComesBack)
{
    int lost = 0;
    int back = 0;
    port->OnConverterLost = [&] { ++lost; };
    port->OnConverterBack = [&] { ++back; };
    for (int converter = 0; converter < 2; ++converter) {
        field->Unplug(converter, field->ElapsedMs());
        field->Plug(converter, field->ElapsedMs() + 250);
    }
    const uint32_t start = platform.TickCount();
    port->Cycle();
    EXPECT_EQ(lost, 1);
    EXPECT_EQ(back, 1);
    EXPECT_GE(platform.TickCount() - start, 300u);
    EXPECT_EQ(port->ConverterCount(), 2);
    int version = 0;
    EXPECT_EQ(port->QueryVersion(3, 0, -1, version), kLinkOk);
    EXPECT_EQ(version, 0x46B);
}

// The port thread sleeps on what the transport gives it. Bytes that reached the PC side after
// its last look are neither a readable descriptor nor still to come: slept past, a remote stop
// among them would wait for whatever woke the thread next.
TEST_F(FieldLink, BytesThatCameSinceTheLastLookWakeTheSleeperAtOnce)
{
    TWakeSources before;
    port->Transport().WakeSources(before);
    EXPECT_NE(before.dueSteadyNs, 0) << "nothing has come yet";
    field->InjectNoise(1, field->ElapsedMs() + 5, {0x13, 0x37});
    platform.Advance(20);
    TWakeSources sources;
    port->Transport().WakeSources(sources);
    EXPECT_EQ(sources.dueSteadyNs, 0);
}

// A standby station follows a show by what it hears of the other station's frames; the set-
// charge command shares the fire command's code and fires nothing.
TEST_F(FieldLink, TwoStationsOnOneLineHearEachOtherAndBothReachTheModules)
{
    field->ShareLine(1, 0);
    TPortProto primary(std::make_unique<TFieldPort>(field, 16, std::vector<int>{0}));
    TPortProto standby(std::make_unique<TFieldPort>(field, 16, std::vector<int>{1}));
    ASSERT_TRUE(primary.Reopen());
    ASSERT_TRUE(standby.Reopen());
    EXPECT_EQ(standby.ConverterCount(), 1);
    std::vector<TFrameRecord> heard;
    standby.OnFrameFrom = [&](const TFrameRecord& frame, int) { heard.push_back(frame); };
    std::vector<TFrameRecord> heardByPrimary;
    primary.OnFrameFrom = [&](const TFrameRecord& frame, int) { heardByPrimary.push_back(frame); };

    ASSERT_EQ(primary.SendStartNotice(12345), kLinkOk);
    Ignore(primary.SetCharge(3, 0, -1, 300), "only its frame on the line counts here");
    ASSERT_EQ(primary.FireChannel(3, 0, -1, 5, 300), kLinkOk);
    ASSERT_EQ(primary.SendClock(5000, true), kLinkOk);
    ASSERT_EQ(primary.SendStationStatus(standby.StationId(), 2, 0, 1), kLinkOk);
    ASSERT_EQ(primary.SendStopNotice(70000), kLinkOk);
    ASSERT_EQ(standby.SendStatusQuery(primary.StationId()), kLinkOk);
    platform.Advance(20);
    for (int i = 0; i < 3; ++i) {
        standby.Cycle();
        primary.Cycle();
    }

    const int id = primary.StationId();
    std::vector<TStationNotice> notices;
    std::vector<TFireCommand> fires;
    std::vector<TClockMessage> clocks;
    std::vector<TStationStatus> statuses;
    for (const TFrameRecord& frame : heard) {
        if (const auto notice = DecodeStationNotice(frame))
            notices.push_back(*notice);
        if (const auto fire = DecodeFire(frame))
            fires.push_back(*fire);
        if (const auto clock = DecodeClock(frame))
            clocks.push_back(*clock);
        if (const auto status = DecodeStationStatus(frame))
            statuses.push_back(*status);
    }
    ASSERT_EQ(notices.size(), 2u);
    EXPECT_TRUE(notices[0].start);
    EXPECT_EQ(notices[0].timeMs, 12300);
    EXPECT_EQ(notices[0].stationId, id);
    EXPECT_FALSE(notices[1].start);
    EXPECT_EQ(notices[1].timeMs, 70000);
    ASSERT_EQ(fires.size(), 1u);
    EXPECT_EQ(fires[0].address, 3);
    EXPECT_EQ(fires[0].channel, 5);
    EXPECT_EQ(fires[0].chargeValue, 300);
    ASSERT_EQ(clocks.size(), 1u);
    EXPECT_EQ(clocks[0].timeMs, 5000);
    EXPECT_TRUE(clocks[0].running);
    ASSERT_EQ(statuses.size(), 1u);
    EXPECT_EQ(statuses[0].launchState, 2);
    EXPECT_EQ(statuses[0].controlMode, 1);
    EXPECT_EQ(statuses[0].stationId, id);
    EXPECT_EQ(statuses[0].askerId, standby.StationId());
    ASSERT_FALSE(heardByPrimary.empty());
    const TFrameRecord query{0x03, 0, 0, static_cast<uint8_t>(standby.StationId()),
                             static_cast<uint8_t>(id), 255};
    EXPECT_EQ(heardByPrimary.back(), query);

    int version = 0;
    EXPECT_EQ(standby.QueryVersion(3, 0, -1, version), kLinkOk);
    EXPECT_EQ(version, 0x46B);
}

}  // namespace
}  // namespace kv
