// Writing, verifying and erasing scenarios in module and remote controller memory, and
// reading the black box, against simulated devices of every firmware generation.

#include "rigs/DeviceFieldFixture.h"

#include "devices/memory/BlackBoxRecord.h"
#include "devices/memory/ControllerTransfer.h"
#include "devices/kinds/CommonControl.h"
#include "devices/kinds/RemoteControl.h"
#include "devices/memory/ScenarioChecks.h"
#include "field/devices/SimRemote.h"
#include "link/Result.h"
#include "support/text/Conversions.h"
#include "link/Result.h"

namespace kv::test {
namespace {

TScenarioCue Fire(int32_t time, int32_t module, int32_t channel)
{
    return {.time = time, .module = module, .channel = channel, .kind = kKindFire};
}

TScenarioCue Motor(int32_t time, int32_t module, int32_t kind, int32_t p1, int32_t p2)
{
    return {.time = time, .module = module, .channel = 0, .kind = kind, .parameter1 = p1,
            .parameter2 = p2};
}

class ScenarioTransfer : public DeviceFieldFixture {
protected:
    TControllerTransfer Controller(TProgressEvent steps = {})
    {
        return TControllerTransfer(*registry, std::move(steps));
    }
    // (time, channel) of every cue the module's memory holds, in time order.
    std::vector<std::pair<int64_t, int>> HeldCues(int address)
    {
        std::vector<std::pair<int64_t, int>> held;
        for (const TMemoryCue& cue : SimModuleAt(address).Memory().Cues())
            held.emplace_back(cue.timeMs, cue.channel);
        return held;
    }
};

using TCues = std::vector<std::pair<int64_t, int>>;

TEST_F(ScenarioTransfer, EachFirmwareGenerationTakesAndVerifiesOddTimes)
{
    AddModule({.address = 3, .version = 0x36B, .channels = 8});  // fine, acknowledged
    AddModule({.address = 4, .version = 0x150, .channels = 8});  // record list, plain
    AddModule({.address = 5, .version = 0x147, .channels = 8});  // one time per channel
    Connect();
    for (int address : {3, 4, 5})
        registry->AddOrRefresh(address, 0);
    // Out of order on purpose: the write sorts by time.
    const std::vector<TScenarioCue> cues = {
        Fire(12345, 3, 0), Fire(12345, 4, 0), Fire(12345, 5, 0), Fire(9999, 3, 300 - 299),
        Fire(9999, 4, 6), Fire(9999, 5, 6), Fire(500, 9, 0)};

    ASSERT_EQ(Transfer().WriteScenario(cues), 0);
    // These once held 9998, 12344 and 9990, 12340: rounded down, fired early.
    EXPECT_EQ(HeldCues(3), (TCues{{10000, 1}, {12346, 0}}));
    EXPECT_EQ(HeldCues(4), (TCues{{10000, 6}, {12350, 0}}));
    EXPECT_EQ(HeldCues(5), (TCues{{10000, 6}, {12350, 0}}));
    EXPECT_EQ(SentFrames(0x91).size(), 3u * 8u) << "two cues and six padding records each";
    EXPECT_EQ(progress.back().percent, 100);
    EXPECT_EQ(progress.back().index, -1);

    progress.clear();
    EXPECT_EQ(Transfer().VerifyScenario(cues), 0);
    ASSERT_EQ(progress.size(), 7u);
    // Sorted: 500 (module 9), 9999 for 3, 4, 5, then 12345 for 3, 4, 5; seven cues, three
    // devices. Module 3 (device 0) has cues 1 and 4, module 5 (device 2) cues 3 and 6.
    EXPECT_EQ(progress[0].percent, 5);
    EXPECT_EQ(progress[0].channel, 2);
    EXPECT_EQ(progress[0].address, 3);
    EXPECT_EQ(progress[3].percent, 57);  // (7 + 5) / 21
    EXPECT_EQ(progress[4].address, 5);
    EXPECT_EQ(progress[4].channel, 7);
    EXPECT_EQ(progress[5].percent, 95);  // (14 + 6) / 21
}

// Memory once kept each time rounded down to its steps: a stand-alone show fired shots up to
// 9 ms and moves up to 99 ms early, and the verification, rounding alike, passed them.
TEST_F(ScenarioTransfer, NoMemoryKeepsACueBeforeItsTimeAndASalvoKeepsOneTime)
{
    AddModule({.address = 3, .version = 0x36B, .channels = 8});  // 2 ms steps
    AddModule({.address = 4, .version = 0x150, .channels = 8});  // 10 ms steps
    AddModule({.kind = TModuleKind::Motor, .address = 6, .version = 0x165, .channels = 2});
    Connect();
    for (int address : {3, 4, 6})
        registry->AddOrRefresh(address, 0);
    const std::vector<TScenarioCue> cues = {
        Fire(12345, 3, 0), Fire(12345, 3, 1), Fire(12399, 3, 2), Fire(12398, 3, 3),
        Fire(12345, 4, 0), Fire(12345, 4, 1), Fire(12391, 4, 2), Fire(12340, 4, 3),
        Motor(12301, 6, kKindLeft, 90, 0), Motor(12500, 6, kKindRight, 90, 0)};
    ASSERT_EQ(Transfer().WriteScenario(cues), 0);
    EXPECT_EQ(HeldCues(3), (TCues{{12346, 0}, {12346, 1}, {12398, 3}, {12400, 2}}));
    EXPECT_EQ(HeldCues(4), (TCues{{12340, 3}, {12350, 0}, {12350, 1}, {12400, 2}}));
    std::vector<int> moveTenths;
    for (const TFrameEntry& write : SentFrames(0x91))
        if (write.bytes[5] == 6)
            moveTenths.push_back(write.bytes[1] * 256 + write.bytes[2]);
    EXPECT_EQ(moveTenths, (std::vector<int>{124, 124, 124, 125, 125, 125}));
    EXPECT_EQ(Transfer().VerifyScenario(cues), 0);

    // Kept by an older version, rounded down: no longer this scenario's memory.
    ASSERT_EQ(port->WriteCueFine(3, 0, -1, 12344, 0), 0);
    ASSERT_EQ(HeldCues(3).front(), (std::pair<int64_t, int>{12344, 0}));
    EXPECT_EQ(Transfer().VerifyScenario(cues), kResultMismatch);
}

TEST_F(ScenarioTransfer, VerifyFindsADifferentScenario)
{
    AddModule({.address = 3, .version = 0x36B, .channels = 8});
    AddModule({.address = 5, .version = 0x147, .channels = 8});
    Connect();
    registry->AddOrRefresh(3, 0);
    registry->AddOrRefresh(5, 0);
    ASSERT_EQ(Transfer().WriteScenario(std::vector{Fire(1000, 3, 2), Fire(1000, 5, 2)}), 0);
    progress.clear();
    EXPECT_EQ(Transfer().VerifyScenario(std::vector{Fire(1000, 3, 3), Fire(1000, 5, 2)}),
              kResultMismatch) << "other channel";
    EXPECT_TRUE(progress.empty()) << "no step and no final event after a mismatch";
    EXPECT_EQ(Transfer().VerifyScenario(std::vector{Fire(1000, 3, 2), Fire(1010, 5, 2)}),
              kResultMismatch) << "other time";
}

TEST_F(ScenarioTransfer, OldFirmwareLosesStaleChannelTimesInTheGaps)
{
    AddModule({.address = 5, .version = 0x147, .channels = 8});
    Connect();
    registry->AddOrRefresh(5, 0);
    ASSERT_EQ(Transfer().WriteScenario(std::vector{Fire(4000, 5, 3), Fire(5000, 5, 7)}), 0);
    ASSERT_EQ(HeldCues(5).size(), 2u);
    ASSERT_EQ(Transfer().WriteScenario(std::vector{Fire(1000, 5, 0), Fire(2000, 5, 5)}), 0);
    EXPECT_EQ(HeldCues(5), (TCues{{1000, 0}, {2000, 5}}));
}

// No erase precedes a write: each write fills the record lists from their start again, over
// what an earlier scenario or a cancelled write left.
TEST_F(ScenarioTransfer, AWriteReplacesTheScenarioAModuleHolds)
{
    AddModule({.address = 3, .version = 0x36B, .channels = 8});  // fine, acknowledged
    AddModule({.address = 4, .version = 0x150, .channels = 8});  // record list, plain
    AddModule({.kind = TModuleKind::Motor, .address = 6, .version = 0x165});
    Connect();
    for (int address : {3, 4, 6})
        registry->AddOrRefresh(address, 0);
    ASSERT_EQ(Transfer().WriteScenario(std::vector{Fire(1000, 3, 0), Fire(2000, 3, 1),
                                                   Fire(1000, 4, 2), Fire(3000, 4, 3),
                                                   Motor(1000, 6, kKindLeft, 90, 0)}),
              0);

    int steps = 0;
    const auto abortFirst = [&](int, int, bool& abort, int, int) { abort = ++steps == 1; };
    ASSERT_EQ(TModuleTransfer(*registry, abortFirst).WriteScenario(std::vector{Fire(500, 3, 7)}),
              kResultAborted);

    const auto second = std::vector{Fire(4000, 3, 5), Fire(4500, 4, 6),
                                    Motor(2000, 6, kKindRight, 30, 0)};
    ASSERT_EQ(Transfer().WriteScenario(second), 0);
    EXPECT_EQ(HeldCues(3), (TCues{{4000, 5}}));
    EXPECT_EQ(HeldCues(4), (TCues{{4500, 6}}));
    EXPECT_EQ(Transfer().VerifyScenario(second), 0);
}

// Memory keeps 16 bits of 100 ms. These tests once saw 1:50:00 written as 46.4 s (a shot
// 108 minutes early in a stand-alone show) and verified "OK", because the verification
// reduced the cue time with the same wrap; and the empty time written as a cue that never fires.
TEST_F(ScenarioTransfer, CueTimesNoMemoryCanHoldAreRefusedNeverWrapped)
{
    AddModule({.address = 3, .version = 0x36B, .channels = 8});  // fine, acknowledged
    AddModule({.address = 4, .version = 0x150, .channels = 8});  // record list, plain
    AddModule({.address = 5, .version = 0x147, .channels = 8});  // one time per channel
    AddModule({.kind = TModuleKind::Motor, .address = 6, .version = 0x165, .channels = 2});
    AddDevice(std::make_unique<TSimRemote>(TRemoteSetup{.version = 0x146}));
    Connect();
    for (int address : {3, 4, 5, 6})
        registry->AddOrRefresh(address, 0);
    for (int address : {3, 4, 5, 6}) {
        const auto cues = [address](int32_t second) {
            if (address == 6)
                return std::vector{Motor(1000, 6, kKindCenter, 100, 0),
                                   Motor(second, 6, kKindCenter, 100, 0)};
            return std::vector{Fire(1000, address, 0), Fire(second, address, 1)};
        };
        const auto writesTo = [this, address] {
            size_t count = 0;
            for (const TFrameEntry& write : SentFrames(0x91))
                count += write.bytes[5] == address;
            return count;
        };
        // Rounded up, 6 553 401 to 6 553 499 would be kept as the empty time in some form.
        for (const int32_t time : {6600000, 6553500, 6553599, 6553499, 6553401, -100}) {
            field->ClearRecord();
            EXPECT_EQ(Transfer().WriteScenario(cues(time)), kResultTimeOutsideMemory)
                << address << " at " << time;
            EXPECT_EQ(writesTo(), 0u) << "nothing of that module is written";
        }
        ASSERT_EQ(Transfer().WriteScenario(cues(46400)), 0);
        EXPECT_EQ(Transfer().VerifyScenario(cues(6600000)), kResultTimeOutsideMemory)
            << address << ": never counted as verified";
        EXPECT_EQ(Transfer().VerifyScenario(cues(6553400)), kResultMismatch)
            << "the last time that fits is compared as it is";
        ASSERT_EQ(Transfer().WriteScenario(cues(6553400)), 0);
        EXPECT_EQ(Transfer().VerifyScenario(cues(6553400)), 0) << address;
    }
    EXPECT_EQ(ResultText(kResultTimeOutsideMemory),
              "Время команды вне диапазона памяти пульта.");

    Registered<TRemoteControl>(0);
    field->ClearRecord();
    EXPECT_EQ(Controller().WriteScenario(std::vector{Fire(1000, 3, 0), Fire(6553500, 3, 1)}),
              kResultTimeOutsideMemory);
    EXPECT_TRUE(SentFrames(0x91).empty());
    ASSERT_EQ(Controller().WriteScenario(std::vector{Fire(1000, 3, 0), Fire(46400, 3, 1)}), 0);
    EXPECT_EQ(Controller().VerifyScenario(std::vector{Fire(1000, 3, 0), Fire(6600000, 3, 1)}),
              kResultTimeOutsideMemory);
}

TEST_F(ScenarioTransfer, TheLastOfFiveHundredTwelveChannelsDoesNotFitModuleMemory)
{
    // A memory record holds channel numbers up to 511; channel 512 would be cut to 0.
    AddModule({.address = 3, .version = 0x36B, .channels = 512});
    AddModule({.address = 5, .version = 0x147, .channels = 512});
    Connect();
    registry->AddOrRefresh(3, 0);
    registry->AddOrRefresh(5, 0);
    field->ClearRecord();
    EXPECT_EQ(Transfer().WriteScenario(std::vector{Fire(1000, 3, 510), Fire(2000, 3, 511)}),
              kResultNotSupported);
    EXPECT_EQ(HeldCues(3), (TCues{{1000, 510}}));
    EXPECT_EQ(SentFrames(0x91).size(), 1u) << "nothing sent for channel 512, no padding";

    field->ClearRecord();
    EXPECT_EQ(Transfer().WriteScenario(std::vector{Fire(1000, 5, 511)}), kResultNotSupported);
    for (const TFrameEntry& write : SentFrames(0x91))
        EXPECT_NE(write.bytes[5], 5) << DescribeFrame(write);

    // Nor does the padding of one time per channel address channel number 0.
    field->ClearRecord();
    ASSERT_EQ(Transfer().WriteScenario(std::vector{Fire(1000, 5, 0)}), 0);
    size_t toModule5 = 0;
    for (const TFrameEntry& write : SentFrames(0x91)) {
        if (write.bytes[5] != 5)
            continue;
        ++toModule5;
        EXPECT_NE(write.bytes[3] + 256 * (write.bytes[4] & 1), 0) << DescribeFrame(write);
    }
    EXPECT_EQ(toModule5, 511u);

    // Nor the erase, which once wrote the empty time to channel number 0 last.
    field->ClearRecord();
    ASSERT_EQ(Transfer().EraseScenario(), 0);
    const std::vector<TFrameEntry> erased = SentFrames(0x91);
    ASSERT_EQ(erased.size(), 511u);
    for (const TFrameEntry& write : erased)
        EXPECT_NE(write.bytes[3] + 256 * (write.bytes[4] & 1), 0) << DescribeFrame(write);
    EXPECT_EQ(HeldCues(5).size(), 0u);
}

TEST_F(ScenarioTransfer, ModuleWithoutCuesGetsOnlyEmptyRecords)
{
    AddModule({.address = 3, .version = 0x36B, .channels = 6});
    Connect();
    registry->AddOrRefresh(3, 0);
    field->ClearRecord();
    ASSERT_EQ(Transfer().WriteScenario(std::vector{Fire(1000, 8, 0)}), 0);
    const auto writes = SentFrames(0x91);
    ASSERT_EQ(writes.size(), 6u);
    for (const auto& write : writes) {
        EXPECT_EQ(write.bytes[1], 0xFF);
        EXPECT_EQ(write.bytes[2], 0xFF);
    }
    EXPECT_TRUE(HeldCues(3).empty());
    EXPECT_EQ(progress.size(), 1u) << "only the final event";
}

TEST_F(ScenarioTransfer, MotorCuesAreWrittenAndComparedByMeaning)
{
    AddModule({.kind = TModuleKind::Motor, .address = 6, .version = 0x165});
    Connect();
    registry->AddOrRefresh(6, 0);
    const std::vector<TScenarioCue> cues = {Motor(1000, 6, kKindCenter, 200, 0),
                                            Motor(2345, 6, kKindRotateLeft, 25, 127),
                                            Motor(3000, 6, kKindRight, 255, 0),
                                            Fire(3000, 6, 1)};
    ASSERT_EQ(Transfer().WriteScenario(cues), 0);
    const auto writes = SentFrames(0x91);
    ASSERT_EQ(writes.size(), 9u) << "three records per motor cue, no firing cue";
    EXPECT_EQ(writes[3].bytes[3], 127) << "speed in record 0";
    EXPECT_EQ(writes[4].bytes[3], 25) << "duration in record 1";
    EXPECT_EQ(writes[5].bytes[3], 0x81);
    EXPECT_EQ(writes[1].bytes[3], 0) << "no duration for a turn";
    EXPECT_EQ(progress[0].channel, 1);

    EXPECT_EQ(Transfer().VerifyScenario(cues), 0);
    EXPECT_EQ(Transfer().VerifyScenario(std::vector{Motor(1000, 6, kKindCenter, 100, 0)}),
              kResultMismatch);
    EXPECT_EQ(Transfer().VerifyScenario(std::vector{Motor(1000, 6, kKindLeft, 200, 0)}),
              kResultMismatch);
}

TEST_F(ScenarioTransfer, OldMotorFirmwareRefusesOnlyWhenItHasCues)
{
    AddModule({.kind = TModuleKind::Motor, .address = 6, .version = 0x160});
    AddModule({.address = 7, .version = 0x36B, .channels = 4, .kindLetter = 'A'});
    Connect();
    registry->AddOrRefresh(6, 0);
    registry->AddOrRefresh(7, 0);
    EXPECT_EQ(Transfer().WriteScenario(std::vector{Fire(100, 7, 0)}), 0);
    field->ClearRecord();
    EXPECT_EQ(Transfer().WriteScenario(std::vector{Motor(100, 6, kKindLeft, 9, 0),
                                                   Fire(100, 7, 0)}),
              kResultNotSupported);
    EXPECT_TRUE(SentFrames(0x91).empty()) << "the modules after it are not touched";
    EXPECT_EQ(Transfer().VerifyScenario(std::vector{Motor(100, 6, kKindLeft, 9, 0)}),
              kResultNotSupported);
}

TEST_F(ScenarioTransfer, AbortStopsAtTheNextStep)
{
    AddModule({.address = 3, .version = 0x36B, .channels = 8});
    AddModule({.address = 4, .version = 0x36B, .channels = 8});
    Connect();
    registry->AddOrRefresh(3, 0);
    registry->AddOrRefresh(4, 0);
    int steps = 0;
    const auto abortSecond = [&](int, int, bool& abort, int, int) { abort = ++steps == 2; };
    field->ClearRecord();
    const std::vector<TScenarioCue> cues = {Fire(100, 3, 0), Fire(200, 3, 1), Fire(300, 3, 2),
                                            Fire(100, 4, 0)};
    EXPECT_EQ(TModuleTransfer(*registry, abortSecond).WriteScenario(cues), kResultAborted);
    EXPECT_EQ(steps, 2) << "no final event";
    EXPECT_EQ(SentFrames(0x91).size(), 2u) << "no padding after an abort, nothing for 4";
    EXPECT_EQ(HeldCues(4).size(), 0u);
}

TEST_F(ScenarioTransfer, EraseUsesTheCommandOfEachGeneration)
{
    AddModule({.address = 3, .version = 0x46B, .channels = 8});
    AddModule({.address = 4, .version = 0x150, .channels = 8});
    AddModule({.address = 5, .version = 0x147, .channels = 4});
    Connect();
    for (int address : {3, 4, 5})
        registry->AddOrRefresh(address, 0);
    const auto cues = std::vector{Fire(100, 3, 0), Fire(100, 4, 0), Fire(100, 5, 0)};
    ASSERT_EQ(Transfer().WriteScenario(cues), 0);
    field->ClearRecord();
    progress.clear();

    ASSERT_EQ(Transfer().EraseScenario(), 0);
    EXPECT_EQ(SentFrames(0x95).size(), 1u);
    EXPECT_EQ(SentFrames(0x8A).size(), 1u);
    EXPECT_EQ(SentFrames(0x91).size(), 4u);
    for (int address : {3, 4, 5})
        EXPECT_TRUE(HeldCues(address).empty()) << address;
    ASSERT_EQ(progress.size(), 7u);
    EXPECT_EQ(progress[0].percent, 40);  // 8 of 20 channels
    EXPECT_EQ(progress[0].channel, 8);
    EXPECT_EQ(progress[2].percent, 85);  // 17 of 20
    EXPECT_EQ(progress[2].channel, 1);
    EXPECT_EQ(progress.back().index, -1);
}

TEST_F(ScenarioTransfer, NothingRegisteredSucceedsAtOnce)
{
    Connect();
    EXPECT_EQ(Transfer().WriteScenario(std::vector{Fire(100, 3, 0)}), 0);
    EXPECT_EQ(Transfer().VerifyScenario(std::vector{Fire(100, 3, 0)}), 0);
    EXPECT_EQ(Transfer().EraseScenario(), 0);
    EXPECT_EQ(progress.size(), 3u);
    std::vector<uint8_t> buffer(5, 1);
    EXPECT_EQ(Transfer().ReadBlackBox(buffer), 0);
    EXPECT_TRUE(buffer.empty());
    EXPECT_TRUE(field->Frames().empty());
}

TEST_F(ScenarioTransfer, RemoteControllerKeepsTheWholeScenario)
{
    AddDevice(std::make_unique<TSimRemote>(TRemoteSetup{.version = 0x146}));
    Connect();
    auto& remote = Registered<TRemoteControl>(0);
    std::vector<TProgressStep> steps;
    const TProgressEvent record = [&](int percent, int index, bool&, int channel, int address) {
        steps.push_back({percent, index, channel, address});
    };
    // Scenario order, not time order; a channel outside the tables is never written.
    const std::vector<TScenarioCue> cues = {Fire(12345, 3, 300), Fire(1000, 7, 0),
                                            Motor(2000, 6, kKindRotateLeft, 25, 127),
                                            Fire(3000, 3, 512)};
    ASSERT_EQ(remote.EraseScenario(), 0);
    ASSERT_EQ(Controller(record).WriteScenario(cues), 0);
    const auto writes = SentFrames(0x91);
    ASSERT_EQ(writes.size(), 3u);
    EXPECT_EQ(writes[0].bytes[5], 3) << "addressed with the cue's module";
    EXPECT_EQ(writes[2].bytes[3], 0) << "a motor cue carries no channel";
    ASSERT_EQ(steps.size(), 4u);
    EXPECT_EQ(steps[1].percent, 25);
    EXPECT_EQ(steps[1].channel, 1);
    EXPECT_EQ(steps[1].address, 7);

    EXPECT_EQ(writes[0].bytes[4] >> 4, 5) << "12,345 ms kept as 12,350, not as 12,340";
    EXPECT_EQ(Controller().VerifyScenario(cues), 0);
    auto changed = cues;
    changed[1].module = 8;
    EXPECT_EQ(Controller().VerifyScenario(changed), kLinkWriteFailed);

    field->ClearRecord();
    EXPECT_EQ(Controller([](int, int, bool& abort, int, int) { abort = true; }).VerifyScenario(cues),
              kResultAborted);
    EXPECT_EQ(SentFrames(0x92).size(), 1u) << "stopped at the first step";
}

TEST_F(ScenarioTransfer, OldRemoteControllerCannotBeErased)
{
    AddDevice(std::make_unique<TSimRemote>(TRemoteSetup{.version = 0x140, .writeMode = true}));
    Connect();
    auto& remote = Registered<TRemoteControl>(0);
    field->ClearRecord();
    EXPECT_EQ(remote.EraseScenario(), kResultNotSupported);
    EXPECT_TRUE(field->Frames().empty());
    EXPECT_EQ(Controller().WriteScenario(std::vector{Fire(500, 2, 1)}), 0);
    EXPECT_EQ(Controller().VerifyScenario(std::vector{Fire(500, 2, 1)}), 0);
    EXPECT_TRUE(SentFrames(0x8F).empty()) << "no identification before 0x146";
}

TEST_F(ScenarioTransfer, BlackBoxHoldsWhatTheModuleAnswered)
{
    AddModule({.address = 3, .version = 0x36B, .channels = 8, .blackBoxEntries = 5});
    AddDevice(std::make_unique<TSimRemote>(TRemoteSetup{}));
    AddModule({.address = 9, .version = 0x150, .channels = 4, .blackBoxEntries = 1});
    Connect();
    registry->AddOrRefresh(0, 0);
    auto& first = Registered<TCommonControl>(3);
    ASSERT_EQ(first.FireChannel(2), 0);
    registry->AddOrRefresh(9, 0);
    field->ClearRecord();
    const double before = NowInDays();

    std::vector<uint8_t> buffer;
    ASSERT_EQ(Transfer().ReadBlackBox(buffer), 0);
    ASSERT_EQ(buffer.size(), 2 * kBlackBoxRecordSize);
    const uint8_t* record = buffer.data();
    EXPECT_EQ(record[0], 3);
    EXPECT_EQ(GetInt32(record + 1), 0x36B);
    EXPECT_EQ(GetInt32(record + 5), 8);
    EXPECT_GE(GetDouble(record + 9), before);
    EXPECT_GE(GetDouble(record + 17), GetDouble(record + 9));
    EXPECT_LT(GetDouble(record + 17) - before, 1.0 / 24);
    EXPECT_EQ(GetInt32(record + 25), 6) << "five logged at power-up and one shot";
    EXPECT_EQ(buffer[kBlackBoxRecordSize], 9);
    EXPECT_EQ(GetInt32(buffer.data() + kBlackBoxRecordSize + 25), 1);

    std::vector<std::vector<uint8_t>> words;
    for (const TFrameEntry& entry : field->Frames())
        if (entry.origin == TFrameOrigin::Field && entry.bytes.size() >= 7 && entry.bytes[0] == 0x6B)
            words.push_back({entry.bytes.begin() + 1, entry.bytes.begin() + 5});
    ASSERT_EQ(words.size(), 2u * kBlackBoxWords);
    for (size_t j = 0; j < 2u * kBlackBoxWords; ++j) {
        const uint8_t* stored = buffer.data() + (j / kBlackBoxWords) * kBlackBoxRecordSize +
                                kBlackBoxLogOffset + 4 * (j % kBlackBoxWords);
        ASSERT_EQ(std::vector<uint8_t>(stored, stored + 4), words[j]) << "word " << j;
    }
    EXPECT_NE(GetInt32(record + kBlackBoxLogOffset), 0) << "the log is not empty";
    const auto reads = SentFrames(0x94);
    EXPECT_EQ(reads.back().bytes[1], 0x7F);
    EXPECT_EQ(reads.back().bytes[2], 0xFC);
    EXPECT_EQ(progress.back().percent, Percent(2 * 7936 + 7935, 3 * 7936));
    EXPECT_EQ(progress.back().index, 2);
}

TEST_F(ScenarioTransfer, MarksFollowTheFiringCues)
{
    AddModule({.address = 3, .channels = 8});
    Connect();
    auto& module = Registered<TCommonControl>(3);
    ASSERT_EQ(module.MarkInScenario(7), kLinkOk);
    MarkScenarioChannels(*registry, std::vector{Fire(100, 3, 1), Fire(100, 3, 600),
                                                Motor(100, 3, kKindLeft, 1, 0), Fire(1, 4, 2)});
    EXPECT_TRUE(module.ChannelInScenario(1));
    EXPECT_FALSE(module.ChannelInScenario(7));
    EXPECT_FALSE(module.ChannelInScenario(0)) << "a motor cue marks nothing";
}

}  // namespace
}  // namespace kv::test
