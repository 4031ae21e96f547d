// The registry's bus search: class selection, refresh and removal, stations, announcements.

#include "rigs/DeviceFieldFixture.h"

#include "devices/readiness/ChannelTest.h"
#include "devices/memory/ModuleCues.h"

#include "devices/kinds/AutoControl.h"
#include "devices/kinds/HVControl.h"
#include "devices/kinds/MotorControl.h"
#include "devices/kinds/RadioModule.h"
#include "devices/kinds/RemoteControl.h"
#include "devices/kinds/SoftControl.h"
#include "field/devices/SimRadio.h"
#include "field/devices/SimRemote.h"
#include "field/devices/SimStation.h"
#include "field/bus/WireFrame.h"

namespace kv::test {
namespace {

class BusSearch : public DeviceFieldFixture {
protected:
    // One station round of the search, then the answers that come within listenMs.
    void StationRound(uint32_t listenMs)
    {
        registry->searchAddress = 255;
        registry->SearchTick();
        Pump(listenMs);
    }
};

TEST_F(BusSearch, ClassFollowsTheClockReplyLetterAndChannelCount)
{
    AddModule({.address = 1, .kindLetter = 'P'});
    AddModule({.address = 2, .kindLetter = 'Q'});
    AddModule({.address = 3, .kindLetter = 'R'});
    AddModule({.address = 4, .channels = 4, .kindLetter = 'S'});
    AddModule({.address = 5, .channels = 16, .kindLetter = 'S'});
    AddModule({.address = 6, .channels = 4, .kindLetter = 'P'});
    AddModule({.address = 7, .version = 0x120, .channels = 4, .trailer = 0,
               .answersClockQuery = false});
    AddModule({.address = 8, .trailer = 0});
    Connect();

    EXPECT_EQ(Registered<TMotorControl>(1).deviceType, 4);
    EXPECT_EQ(Registered<THVControl>(2).deviceType, 3);
    EXPECT_EQ(Registered<THVControl>(3).kindLetter, 'R');
    EXPECT_EQ(Registered<THVControl>(4).channelCount, 4);
    EXPECT_EQ(Registered<TAutoControl>(5).deviceType, 2);
    EXPECT_EQ(Registered<TMotorControl>(6).channelCount, 4);
    auto& noClock = Registered<TAutoControl>(7);
    EXPECT_EQ(noClock.deviceType, 2) << "four channels but no clock reply";
    EXPECT_EQ(noClock.attemptMode, -1);
    EXPECT_EQ(noClock.version, 0x120);
    EXPECT_EQ(Registered<TAutoControl>(8).attemptMode, 0) << "the trailer";
    EXPECT_EQ(registry->FiringModuleCount(), 8);
}

TEST_F(BusSearch, ModuleThatFallsSilentAfterItsClockReplyIsNotRegistered)
{
    TSimModule& sim = AddModule({.address = 11});
    Connect();
    // The clock query is answered; the identification that follows it is not.
    sim.Faults().silentFromNs = int64_t{platform.TickCount()} * 1'000'000 + 8'000'000;
    EXPECT_EQ(registry->AddOrRefresh(11, 0), nullptr);
    EXPECT_EQ(SentFrames(0x89).size(), 1u);
    EXPECT_EQ(SentFrames(0x8F).size(), 1u);
    EXPECT_EQ(registry->Count(), 0);
    EXPECT_TRUE(changes.empty());
}

TEST_F(BusSearch, AddressesWithoutADeviceKindRegisterNothing)
{
    AddModule({.address = 200});
    Connect();
    EXPECT_EQ(registry->AddOrRefresh(200, 0), nullptr);
    EXPECT_EQ(registry->AddOrRefresh(239, 0), nullptr);
    EXPECT_EQ(registry->Count(), 0);
    EXPECT_TRUE(changes.empty());
}

// What the operator found out about a module must not vanish with every search.
TEST_F(BusSearch, SecondAnswerRefreshesTheSameDevice)
{
    field->SetConverterCount(2);
    AddModule({.address = 9, .converter = 1, .channels = 8, .trailer = 0});
    Connect();
    auto* first = dynamic_cast<TCommonControl*>(registry->AddOrRefresh(9, 1));
    ASSERT_NE(first, nullptr);
    const std::vector<TScenarioCue> show{{.time = 1000, .module = 9, .channel = 0}};
    ASSERT_EQ(Transfer().WriteScenario(show), 0);
    ASSERT_TRUE(TChannelTest(*registry).TestModule(*first));
    first->attemptMode = 5;
    first->converterIndex = 0;
    changes.clear();
    TCommonDevice* again = registry->AddOrRefresh(9, 1);
    EXPECT_EQ(again, first);
    EXPECT_EQ(again->converterIndex, 1);
    EXPECT_EQ(again->attemptMode, 5) << "an existing device keeps its attempt mode";
    EXPECT_EQ(first->memoryFingerprint, ModuleMemoryFingerprint(show, *first));
    EXPECT_TRUE(first->channelsTestedAt.has_value());
    EXPECT_EQ(first->ChannelState(0), kChannelConnected);
    EXPECT_EQ(registry->Count(), 1);
    EXPECT_EQ(changes, (std::vector<int>{9}));
}

class ModuleSwap : public BusSearch {
protected:
    // Module 9 found, the show written into it and its channels tested.
    TCommonControl& Prepared()
    {
        auto* module = dynamic_cast<TCommonControl*>(registry->AddOrRefresh(9, 0));
        EXPECT_NE(module, nullptr);
        EXPECT_EQ(Transfer().WriteScenario(show), 0);
        EXPECT_TRUE(TChannelTest(*registry).TestModule(*module));
        EXPECT_TRUE(module->memoryFingerprint.has_value());
        return *module;
    }
    // Nothing known of the module at 9 but what it answered.
    static void ExpectNothingCarriedOver(const TCommonControl& module)
    {
        EXPECT_FALSE(module.memoryFingerprint.has_value());
        EXPECT_FALSE(module.channelsTestedAt.has_value());
        EXPECT_EQ(module.motorMovesAtLeast, 0);
        EXPECT_FALSE(module.motorMovesAtMost.has_value());
        for (int channel = 0; channel < module.channelCount; ++channel) {
            EXPECT_EQ(module.ChannelState(channel), kChannelUntested) << channel;
            EXPECT_EQ(module.ChannelValue(channel), 0) << channel;
        }
    }

    const std::vector<TScenarioCue> show{{.time = 1000, .module = 9, .channel = 0},
                                         {.time = 2000, .module = 9, .channel = 1}};
};

TEST_F(ModuleSwap, ASpareOfAnotherKindIsRegisteredAsWhatItIs)
{
    TSimModule& old = AddModule({.address = 9, .channels = 8});
    Connect();
    Prepared();
    old.Faults().silentFromNs = 0;
    AddModule({.kind = TModuleKind::HighVoltage, .address = 9, .channels = 4, .trailer = 0,
               .channelOhms = {8, 8, 8, 8}});
    changes.clear();

    registry->searchAddress = 9;
    registry->SearchTick();
    auto* spare = dynamic_cast<THVControl*>(registry->FindByAddress(9));
    ASSERT_NE(spare, nullptr) << "a high-voltage module: set-charge, charges, switched off";
    EXPECT_EQ(spare->channelCount, 4);
    EXPECT_EQ(spare->attemptMode, 0) << "the spare's trailer";
    ExpectNothingCarriedOver(*spare);
    EXPECT_EQ(registry->Count(), 1);
    EXPECT_EQ(changes.back(), 9);
}

TEST_F(ModuleSwap, AModuleThatMissedAPollIsFoundAsNewThoughItAnswersAlike)
{
    TSimModule& old = AddModule({.address = 9, .channels = 8});
    Connect();
    TCommonControl& module = Prepared();
    // Unplugged while the console polls; a spare of the same make takes its place.
    old.Faults().silentFromNs = 0;
    module.Poll();
    EXPECT_NE(module.lastResult, 0);
    EXPECT_FALSE(module.memoryFingerprint.has_value()) << "at once, before any search";
    AddModule({.address = 9, .channels = 8});

    registry->searchAddress = 9;
    registry->SearchTick();
    auto* spare = dynamic_cast<TCommonControl*>(registry->FindByAddress(9));
    ASSERT_NE(spare, nullptr);
    EXPECT_EQ(spare->channelCount, 8);
    EXPECT_EQ(spare->lastResult, 0);
    ExpectNothingCarriedOver(*spare);
    EXPECT_EQ(registry->Count(), 1);
}

TEST_F(ModuleSwap, AnotherFirmwareLetterOrChannelCountIsAnotherModule)
{
    TSimModule* inPlace = &AddModule({.address = 9, .channels = 8});
    Connect();
    // Each spare differs from the one before it in one more answer.
    for (const TModuleSetup& spare :
         {TModuleSetup{.address = 9, .version = 0x46B, .channels = 8},
          TModuleSetup{.address = 9, .version = 0x46B, .channels = 8, .kindLetter = 'S'},
          TModuleSetup{.address = 9, .version = 0x46B, .channels = 16, .kindLetter = 'S'}}) {
        SCOPED_TRACE(testing::Message() << spare.channels << spare.kindLetter);
        Prepared();
        inPlace->Faults().silentFromNs = 0;
        inPlace = &AddModule(spare);
        auto* found = dynamic_cast<TCommonControl*>(registry->AddOrRefresh(9, 0));
        ASSERT_NE(found, nullptr);
        EXPECT_EQ(found->version, 0x46B);
        EXPECT_EQ(found->channelCount, spare.channels);
        ExpectNothingCarriedOver(*found);
    }
}

TEST_F(BusSearch, SearchRoundFindsEveryKindAndRemovesWhatFellSilent)
{
    field->SetConverterCount(2);
    AddDevice(std::make_unique<TSimRadio>(241, 1, 0x101));
    AddDevice(std::make_unique<TSimRemote>(TRemoteSetup{.converter = 0}));
    TSimModule& module = AddModule({.address = 2, .converter = 1});
    Connect();
    std::vector<std::pair<int, int>> searched;
    registry->OnSearchProgress = [&](int percent, int address) {
        searched.emplace_back(percent, address);
    };

    registry->SetSearchMode(3);
    EXPECT_EQ(registry->searchAddress, 240);
    ASSERT_TRUE(platform.AdvanceUntil([&] { return searched.size() >= 19; }, 60000));
    registry->SetSearchMode(0);
    EXPECT_EQ(searched.front(), std::make_pair(94, 240));
    EXPECT_EQ(searched[15], std::make_pair(100, 255));
    EXPECT_EQ(searched[16], std::make_pair(0, 0));
    EXPECT_EQ(searched[18], std::make_pair(1, 2));
    ASSERT_EQ(registry->Count(), 3);
    EXPECT_EQ(registry->RadioModuleCount(), 1);
    EXPECT_EQ(registry->HasRemoteControl(), 1);
    EXPECT_EQ(registry->FindByAddress(241)->converterIndex, 1);
    EXPECT_EQ(registry->FindByAddress(2)->converterIndex, 1);
    EXPECT_EQ(registry->FindByAddress(0)->deviceType, 6);

    const size_t ticks = searched.size();
    platform.Advance(1000);
    EXPECT_EQ(searched.size(), ticks) << "the timer stopped";

    module.Faults().silentFromNs = 0;
    changes.clear();
    registry->SetSearchMode(3);
    EXPECT_EQ(registry->searchAddress, 240) << "a new search starts at 240 again";
    registry->searchAddress = 2;
    registry->SearchTick();
    EXPECT_EQ(registry->FindByAddress(2), nullptr);
    EXPECT_EQ(changes, std::vector<int>{2});
    EXPECT_EQ(registry->searchAddress, 3);
    registry->SetSearchMode(0);
}

TEST_F(BusSearch, StationsAreFoundAndDroppedAfterAMissedRound)
{
    auto station = std::make_unique<TSimStation>(TStationSetup{.stationId = 77,
                                                               .programVersion = 3});
    TSimStation& sim = *station;
    AddDevice(std::move(station));
    Connect();
    registry->SetSearchMode(1);

    StationRound(400);
    ASSERT_EQ(registry->StationCount(), 1);
    TSoftControl* found = registry->FindStation(77);
    ASSERT_NE(found, nullptr);
    EXPECT_EQ(found->version, 3);
    EXPECT_EQ(found->lastResult, 0);
    EXPECT_FALSE(found->unseen);
    EXPECT_EQ(changes.back(), 255);

    sim.Faults().silentFromNs = 0;
    StationRound(400);  // heard since the last round: kept, marked unseen
    EXPECT_EQ(registry->StationCount(), 1);
    StationRound(0);  // missed a round
    EXPECT_EQ(registry->StationCount(), 0);
}

TEST_F(BusSearch, StartingASearchMarksStationsUnseen)
{
    AddDevice(std::make_unique<TSimStation>(TStationSetup{.stationId = 77}));
    Connect();
    registry->SetSearchMode(1);
    StationRound(400);
    ASSERT_EQ(registry->StationCount(), 1);
    registry->SetSearchMode(3);
    registry->SetSearchMode(1);
    StationRound(0);
    EXPECT_EQ(registry->StationCount(), 0) << "not heard since the search started";
    Pump(400);
    EXPECT_EQ(registry->StationCount(), 1) << "its answer adds it again";
}

TEST_F(BusSearch, StationSearchesAreAnsweredAfterTheRandomPauseWhenMeantForUs)
{
    Connect();
    platform.randomValue = 42;
    const uint8_t own = static_cast<uint8_t>(port->StationId());
    const uint8_t other = static_cast<uint8_t>(own == 9 ? 10 : 9);
    field->InjectFrame(0, 10, MakeWireFrame(0x01, 0, 0, 33, other, 0xFF));
    field->InjectFrame(0, 60, MakeWireFrame(0x01, 0, 0, 34, 0, 0xFF));
    field->InjectFrame(0, 300, MakeWireFrame(0x01, 0, 0, 35, own, 0xFF));
    Pump(600);

    const auto answers = SentFrames(0x02);
    ASSERT_EQ(answers.size(), 2u);
    EXPECT_EQ(answers[0].bytes[3], own);
    EXPECT_EQ(answers[0].bytes[4], 34);
    EXPECT_EQ(answers[0].bytes[5], 0xFF);
    EXPECT_EQ(answers[1].bytes[4], 35);
    EXPECT_GE(answers[1].Tick() - field->StartNs() / 1000000, 300u + 42u);
}

TEST_F(BusSearch, AnnouncementsRegisterModulesOnlyWhileAccepted)
{
    AddModule({.address = 12});
    Connect();
    field->Announce(12, 10);
    Pump(200);
    EXPECT_EQ(registry->Count(), 0);
    registry->SetSearchMode(1);
    field->Announce(12, 400);
    Pump(1500);
    ASSERT_EQ(registry->Count(), 1);
    EXPECT_EQ(registry->DeviceAt(0)->address, 12);
}

TEST_F(BusSearch, SortByAddressKeepsEqualAddressesInOrder)
{
    AddModule({.address = 30});
    AddModule({.address = 4});
    AddDevice(std::make_unique<TSimStation>(TStationSetup{.stationId = 50}));
    AddDevice(std::make_unique<TSimStation>(TStationSetup{.stationId = 20}));
    Connect();
    registry->AddOrRefreshStation(50, 0);
    registry->AddOrRefresh(30, 0);
    registry->AddOrRefreshStation(20, 0);
    registry->AddOrRefresh(4, 0);
    registry->SortByAddress();
    ASSERT_EQ(registry->Count(), 4);
    EXPECT_EQ(registry->DeviceAt(0)->address, 4);
    EXPECT_EQ(registry->DeviceAt(1)->address, 30);
    EXPECT_EQ(dynamic_cast<TSoftControl*>(registry->DeviceAt(2))->peerStationId, 50);
    EXPECT_EQ(dynamic_cast<TSoftControl*>(registry->DeviceAt(3))->peerStationId, 20);
    EXPECT_EQ(registry->FirstFiringModuleIndex(), 0);
    EXPECT_EQ(registry->LastFiringModuleIndex(), 1);
    EXPECT_EQ(registry->StationCount(), 2);
}

}  // namespace
}  // namespace kv::test
