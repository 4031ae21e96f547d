// Bus timing, autonomous play from memory, the other masters and stations, and faults.
#include "rigs/FieldRig.h"

#include "field/file/FieldFile.h"
#include "field/devices/SimRemote.h"

#include <gtest/gtest.h>

#include <algorithm>

namespace kv {
namespace {

const char* const kBus = R"(
[field]
Converters=2
Turnaround=2
[device1]
Kind=module
Address=5
Version=36B
Channels=8
[device2]
Kind=module
Address=6
Version=36B
Channels=8
Converter=1
[device3]
Kind=station
StationId=77
ProgramVersion=3
LaunchState=1
FiringMode=2
ControlMode=1
AnswerDelay=10
[device4]
Kind=station
StationId=78
AnswerDelay=10
[device5]
Kind=radio
Address=240
Version=201
)";

constexpr int64_t kFrameNs = 70'000'000'000 / 19200;

TEST(FieldBus, AnswerFollowsFrameTurnaroundAndItsOwnLineTime)
{
    TFieldRig rig(kBus);
    const uint32_t start = rig.Now();
    rig.Send(Frame(0x80, 0, 1, 2, 3, 5));
    EXPECT_EQ(rig.Now() - start, 4u) << "the write comes back with its echo, 3.65 ms";
    EXPECT_EQ(rig.port->BytesAvailable(), 0);
    EXPECT_EQ(rig.Gather(30).size(), 7u);
    const auto frames = rig.field->Frames();
    ASSERT_EQ(frames.size(), 2u);
    EXPECT_EQ(frames[0].origin, TFrameOrigin::Pc);
    EXPECT_EQ(frames[0].endNs - frames[0].startNs, kFrameNs);
    EXPECT_EQ(frames[1].origin, TFrameOrigin::Field);
    EXPECT_EQ(frames[1].startNs - frames[0].endNs, 2'000'000);
    EXPECT_EQ(frames[1].endNs - frames[1].startNs, kFrameNs);
}

TEST(FieldBus, DevicesOnOneLineTakeTurns)
{
    TFieldRig rig(kBus);
    const TBytes got = rig.Ask(Frame(0x01, 0, 0, 12, 0, 255), 0, 60);
    EXPECT_EQ(got, Join(Frame(0x02, 3, 0, 77, 12, 255), Frame(0x02, 1, 0, 78, 12, 255)));
    const auto frames = rig.field->Frames();
    ASSERT_EQ(frames.size(), 3u);
    EXPECT_EQ(frames[2].startNs, frames[1].endNs) << "the second answer waits for the line";
}

TEST(FieldBus, StationsAnswerOnlyWhatIsMeantForThem)
{
    TFieldRig rig(kBus);
    EXPECT_EQ(rig.Ask(Frame(0x01, 0, 0, 12, 78, 255), 0, 60), Frame(0x02, 1, 0, 78, 12, 255));
    EXPECT_TRUE(rig.Ask(Frame(0x01, 0, 0, 12, 99, 255), 0, 60).empty());
    EXPECT_EQ(rig.Ask(Frame(0x03, 0, 0, 12, 77, 255)), Frame(0x04, 0x21, 1, 77, 12, 255));
    // A console draws its number at random: one that drew a station's number still finds it.
    EXPECT_EQ(rig.Ask(Frame(0x01, 0, 0, 78, 78, 255), 0, 60), Frame(0x02, 1, 0, 78, 78, 255));
}

TEST(FieldBus, RadioModuleTellsItsVersionOnItsOwnConverterOnly)
{
    TFieldRig rig(kBus);
    EXPECT_EQ(rig.Ask(Frame(0x80, 0, 1, 2, 3, 240)), Frame(0x7F, 'V', '2', '0', '1', 240));
    EXPECT_TRUE(rig.Ask(Frame(0x80, 0, 1, 2, 3, 5), 1).empty());
    EXPECT_EQ(rig.Ask(Frame(0x80, 0, 1, 2, 3, 6), 1).size(), 7u);
}

TEST(FieldBus, ModulesPlayTheirMemoryOnTheShowClock)
{
    TFieldRig rig(kBus);
    rig.Send(Frame(0x91, 0x00, 0x14, 1, 0x00, 5));  // channel 0 at 2000 ms
    rig.Send(Frame(0x91, 0x00, 0x0A, 2, 0x54, 5));  // channel 1 at 1054 ms
    rig.Send(Frame(0x91, 0x00, 0x05, 3, 0x00, 5));  // channel 2 at 500 ms: before the start
    rig.Gather(10);
    const uint32_t heard = rig.Now() + 4;
    rig.Send(Frame(0x90, 0x00, 0x0A, 0x80, 0, 0), -1);  // the clock runs from 1000 ms
    rig.Gather(1500);
    auto shots = rig.field->Shots();
    ASSERT_EQ(shots.size(), 2u);
    EXPECT_EQ(shots[0].channel, 1);
    EXPECT_EQ(shots[0].source, TShotSource::Memory);
    EXPECT_NEAR(static_cast<double>(shots[0].Tick() - heard), 54, 1);
    EXPECT_EQ(shots[1].channel, 0);
    EXPECT_NEAR(static_cast<double>(shots[1].Tick() - heard), 1000, 1);
    EXPECT_EQ(rig.Ask(Frame(0x89, 0, 0, 0, 0, 5)), Frame(0x76, 0x00, 0x19, 'A', 0, 5));

    rig.Send(Frame(0x91, 0x00, 0x1E, 4, 0x00, 5));  // channel 3 at 3000 ms
    rig.Send(Frame(0x90, 0x00, 0x1A, 0x00, 0, 0), -1);  // stop
    rig.Gather(2000);
    EXPECT_EQ(rig.field->Shots().size(), 2u);
}

// The firmware as the show player counts on it: a clock started from standing plays its
// memory from the time it hears, a cue at that very time at once; a running clock that hears
// an earlier time is only set back and fires nothing again.
TEST(FieldBus, ARunningClockSetBackFiresNothingAgainAStandingOneStartedReplays)
{
    TFieldRig rig(kBus);
    rig.Send(Frame(0x91, 0x00, 0x0A, 1, 0x00, 5));  // channel 0 at 1000 ms
    rig.Send(Frame(0x91, 0x00, 0x0A, 2, 0x50, 5));  // channel 1 at 1050 ms
    rig.Gather(10);
    const TBytes startAt1000 = Frame(0x90, 0x00, 0x0A, 0x80, 0, 0);
    rig.Send(startAt1000, -1);
    rig.Gather(20);
    ASSERT_EQ(rig.field->Shots().size(), 1u) << "the cue at the time heard, at once";
    rig.Gather(60);
    ASSERT_EQ(rig.field->Shots().size(), 2u);
    rig.Send(startAt1000, -1);
    rig.Gather(200);
    EXPECT_EQ(rig.field->Shots().size(), 2u) << "set back while running";
    rig.Send(Frame(0x90, 0x00, 0x0C, 0x00, 0, 0), -1);  // stop
    rig.Gather(10);
    rig.Send(startAt1000, -1);
    rig.Gather(100);
    const auto shots = rig.field->Shots();
    ASSERT_EQ(shots.size(), 4u) << "started from standing: both again";
    EXPECT_EQ(shots[2].channel, 0);
    EXPECT_EQ(shots[2].shot, 2);
    EXPECT_EQ(shots[3].channel, 1);
}

TEST(FieldBus, AnotherMastersClockMessageReachesPcAndModules)
{
    TFieldRig rig(kBus);
    EXPECT_EQ(rig.Ask(Frame(0x91, 0x00, 0x00, 1, 0x10, 5)).size(), 7u);  // channel 0 at 10 ms
    const TBytes start = Frame(0x90, 0, 0, 0x80, 0, 0);
    rig.field->InjectFrame(0, rig.field->ElapsedMs() + 5,
                           {start[0], start[1], start[2], start[3], start[4], start[5], start[6]});
    EXPECT_EQ(rig.Gather(50), start);
    ASSERT_EQ(rig.field->Shots().size(), 1u);
}

TEST(FieldBus, AFrameWaitingWhenTheProgramWritesIsKeptForItsNextRead)
{
    TFieldRig rig(kBus);
    const TBytes stop = Frame(0x90, 0, 0x7B, 0, 0, 0);
    rig.field->InjectFrame(1, rig.field->ElapsedMs() + 1,
                           {stop[0], stop[1], stop[2], stop[3], stop[4], stop[5], stop[6]});
    rig.platform.Sleep(20);  // the whole frame has arrived on converter 1
    rig.Send(Frame(0x11, 0, 0x7B, 42, 0, 255), -1);
    EXPECT_EQ(rig.Gather(20, 1), stop);
}

// Field time that moves on at every look, as a loaded machine lets it move between two calls.
class TSteppingClock : public TFieldClock {
public:
    int64_t NowNs() override { return now_ += 300'000; }
    void SleepUntilNs(int64_t ns) override { now_ = std::max(now_, ns); }
    int64_t SteadyNsAt(int64_t ns) override { return ns; }

private:
    int64_t now_ = 0;
};

// Another master's stops keep coming while the program writes frame after frame: every byte
// reaches the program, none is lost to a write's purge however late the write comes.
TEST(FieldBus, BytesArrivingAsTheProgramWritesAreAllKept)
{
    auto field = std::make_shared<TField>(std::make_shared<TSteppingClock>());
    std::string problem;
    ASSERT_EQ(BuildField(TIniFile::Parse("[device1]\nKind=module\nAddress=5\n"), *field, problem), 0);
    TFieldPort port(field);
    ASSERT_TRUE(port.Open());
    const TBytes stop = Frame(0x90, 0, 0x7B, 0, 0, 0);
    TBytes sent;
    for (int i = 0; i < 20; ++i) {
        field->InjectFrame(0, field->ElapsedMs() + 1 + 4 * i,
                           {stop[0], stop[1], stop[2], stop[3], stop[4], stop[5], stop[6]});
        sent = Join(sent, stop);
    }
    const TBytes query = Frame(0x8F, 1, 2, 3, 4, 200);  // nobody answers
    TBytes got;
    uint8_t buffer[64];
    int converter = -1;
    const auto readAll = [&] {
        for (int n; (n = port.ReadAny(buffer, sizeof buffer, converter)) > 0;)
            got.insert(got.end(), buffer, buffer + n);
    };
    for (int i = 0; i < 40; ++i) {
        ASSERT_EQ(port.Write(query.data(), 7, 0), 7);
        readAll();
    }
    readAll();
    EXPECT_EQ(got, sent);
}

TEST(FieldBus, FaultsOnDemand)
{
    TFieldRig rig(kBus);
    rig.field->WithDevice(5, [](TSimDevice& d) {
        d.Faults().badCheckReplies = 1;
        d.Faults().shortReplies = 1;
    });
    const TBytes bad = rig.Ask(Frame(0x85, 0, 0, 0, 0, 5));
    ASSERT_EQ(bad.size(), 7u);
    EXPECT_NE(bad, Frame(0x7A, bad[1], bad[2], bad[3], bad[4], 5));
    EXPECT_EQ(rig.Ask(Frame(0x85, 0, 0, 0, 0, 5)).size(), 4u);
    EXPECT_EQ(rig.Ask(Frame(0x85, 0, 0, 0, 0, 5)).size(), 7u);

    const int64_t now = rig.field->ElapsedMs();
    rig.field->WithDevice(5, [&](TSimDevice& d) {
        d.Faults().silentFromNs = rig.field->StartNs() + now * 1'000'000;
        d.Faults().silentUntilNs = rig.field->StartNs() + (now + 100) * 1'000'000;
    });
    EXPECT_TRUE(rig.Ask(Frame(0x85, 0, 0, 0, 0, 5)).empty());
    rig.Gather(100);
    EXPECT_EQ(rig.Ask(Frame(0x85, 0, 0, 0, 0, 5)).size(), 7u);

    rig.field->InjectNoise(0, rig.field->ElapsedMs() + 1, {0x00, 0x13, 0x37});
    rig.field->Announce(5, rig.field->ElapsedMs() + 10);
    EXPECT_EQ(rig.Gather(40), Join({0x00, 0x13, 0x37}, Frame(0x70, 'O', 'k', 0, 8, 5)));
}

TEST(FieldBus, UnpluggedConverterIsLostUntilPluggedBack)
{
    TFieldRig rig(kBus);
    EXPECT_EQ(rig.port->DeviceCount(), 2);
    rig.field->Unplug(1, rig.field->ElapsedMs() + 5);
    rig.field->Plug(1, rig.field->ElapsedMs() + 200);
    rig.Gather(10);
    EXPECT_EQ(rig.port->BytesAvailable(), -1);
    const TBytes frame = Frame(0x80, 0, 1, 2, 3, 6);
    EXPECT_EQ(rig.port->Write(frame.data(), 7, 1), -2);
    EXPECT_TRUE(rig.port->Reopen());
    EXPECT_EQ(rig.port->DeviceCount(), 1) << "only the converter still plugged in";
    EXPECT_EQ(rig.Ask(Frame(0x80, 0, 1, 2, 3, 5)).size(), 7u);
    rig.Gather(200);
    EXPECT_EQ(rig.port->BytesAvailable(), 0) << "a converter plugged in later is not yet open";
    EXPECT_TRUE(rig.port->Reopen());
    EXPECT_EQ(rig.port->DeviceCount(), 2);
    EXPECT_EQ(rig.Ask(frame, 1).size(), 7u);
}

TEST(FieldBus, AllConvertersGoneMeansNotConnected)
{
    TFieldRig rig(kBus);
    rig.field->Unplug(0, 0);
    rig.field->Unplug(1, 0);
    EXPECT_FALSE(rig.port->Reopen());
    uint8_t buffer[8];
    int converter = 5;
    EXPECT_EQ(rig.port->BytesAvailable(), 0);
    EXPECT_EQ(rig.port->ReadAny(buffer, 8, converter), -1);
    EXPECT_EQ(rig.port->Write(buffer, 7, -1), -1);
}

TEST(FieldBus, WrongEchoFailsTheWriteButTheLineCarriesTheFrame)
{
    TFieldRig rig(kBus);
    rig.field->SetBadEcho(0, true);
    const TBytes frame = Frame(0x80, 0, 1, 2, 3, 5);
    EXPECT_EQ(rig.port->Write(frame.data(), 7, 0), -2);
    EXPECT_EQ(rig.Gather(30).size(), 7u);
}

TEST(FieldBus, RemoteControllerKeepsTheWholeScenarioAfterItsErase)
{
    TFieldRig rig(R"(
[device1]
Kind=remote
Version=146
EraseMs=6000
[device2]
Kind=remote
Version=145
Converter=1
)");
    EXPECT_TRUE(rig.Ask(Frame(0x91, 0x00, 0x7B, 1, 0x40, 12)).empty()) << "not in write mode";
    const uint32_t sent = rig.Now();
    EXPECT_EQ(rig.Ask(Frame(0x8A, 0, 0, 0, 0, 0), 0, 7000), Frame(0x7F, 0x43, 0x6C, 0x45, 0x65, 0));
    EXPECT_GE(rig.field->Frames().back().Tick() - sent, 6000u);
    EXPECT_EQ(rig.Ask(Frame(0x91, 0x00, 0x7B, 0x2D, 0x41, 12)), Frame(0x6E, 0x00, 0x7B, 0x2D, 0x41, 12));
    EXPECT_EQ(rig.Ask(Frame(0x92, 0, 0, 1, 0, 0)), Frame(0x91, 0x00, 0x7B, 0x2D, 0x41, 12));
    EXPECT_EQ(rig.Ask(Frame(0x92, 0, 0, 2, 0, 0)), Frame(0x91, 0xFF, 0xFF, 0, 0, 0));
    EXPECT_EQ(rig.Ask(Frame(0x8F, 1, 2, 3, 4, 0)), Frame(0x70, 'O', 'k', 0, 1, 0));
    EXPECT_TRUE(rig.Ask(Frame(0x91, 0x00, 0x7C, 1, 0x40, 12)).empty()) << "write mode has ended";

    EXPECT_TRUE(rig.Ask(Frame(0x8A, 0, 0, 0, 0, 0), 1, 9000).empty()) << "no erase before 0x146";
    rig.field->WithDevice(0, [](TSimDevice& d) { static_cast<TSimRemote&>(d).SetWriteMode(true); }, 1);
    EXPECT_EQ(rig.Ask(Frame(0x91, 0x00, 0x7B, 1, 0x40, 12), 1).size(), 7u);
}

}  // namespace
}  // namespace kv
