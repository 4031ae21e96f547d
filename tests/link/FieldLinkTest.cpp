// The command set against the simulated field, in process, on virtual time.
#include "field/bus/FieldClock.h"
#include "field/file/FieldFile.h"
#include "field/bus/FieldPort.h"
#include "link/PortProto.h"
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

}  // namespace
}  // namespace kv
