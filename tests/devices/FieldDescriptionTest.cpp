// The model of a found installation: searched and tested again, it gives the registry that the
// real installation gave, with untested channels connected.
#include "devices/readiness/ChannelTest.h"
#include "devices/registry/Controls.h"
#include "devices/registry/FieldDescription.h"
#include "devices/kinds/SoftControl.h"
#include "field/bus/FieldClock.h"
#include "field/file/FieldFile.h"
#include "field/bus/FieldPort.h"
#include "link/PortProto.h"
#include "support/text/IniFile.h"
#include "support/platform/VirtualPlatform.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

namespace kv::test {
namespace {

const std::vector<int> kAddresses{0, 3, 12, 20, 30, 40, 245};

// Two converters; module 30 has old firmware that ignores the clock query, module 40 stays
// untested, so its open channel 6 is unknown to the program.
constexpr char kInstallation[] = R"(
[field]
Converters=2
[device1]
Kind=module
Address=3
Channels=16
Trailer=0
Mode=test
Open=2, 9
Short=5
Resistances=7:55, 11:12.5
[device2]
Kind=hv
Address=12
Converter=1
Version=268
Open=3
HVSetting=77
[device3]
Kind=motor
Address=20
[device4]
Kind=module
Address=30
Version=146
ClockQuery=0
Channels=8
Boost=off
Open=4
[device5]
Kind=module
Address=40
Channels=24
Open=6
[device6]
Kind=radio
Address=245
Converter=1
Version=101
[device7]
Kind=remote
Version=146
[device8]
Kind=station
StationId=77
ProgramVersion=2
AnswerDelay=0
)";

// A field with the program's port and registry on it, found by the bus search's own steps.
struct TFound {
    explicit TFound(const std::string& fieldText)
    {
        field = std::make_shared<TField>(std::make_shared<TPlatformFieldClock>());
        std::string problem;
        EXPECT_EQ(BuildField(TIniFile::Parse(fieldText), *field, problem), 0) << problem;
        port = std::make_unique<TPortProto>(std::make_unique<TFieldPort>(field));
        port->Reopen();
        registry = std::make_unique<TControls>(*port);
        port->OnFrameFrom = [this](const TFrameRecord& frame, int converter) {
            registry->HandleUnsolicitedFrame(frame, converter);
        };
        registry->searchFlags = 1;  // station answers are taken
        for (const int address : kAddresses) {
            registry->searchAddress = address;
            registry->SearchTick();
        }
        registry->searchAddress = kStationAddress;
        registry->SearchTick();
        for (int i = 0; i < 100; ++i) {  // the port thread's turns over 300 ms
            port->Cycle();
            Platform().Sleep(3);
        }
    }
    TCommonControl& Module(int address)
    {
        auto* module = dynamic_cast<TCommonControl*>(registry->FindByAddress(address));
        EXPECT_NE(module, nullptr) << address;
        return *module;
    }
    void Test(std::initializer_list<int> addresses, const TConnectThresholds& thresholds)
    {
        TChannelTest test(*registry);
        test.thresholds = thresholds;
        for (const int address : addresses)
            test.TestModule(Module(address));
    }

    std::shared_ptr<TField> field;
    std::unique_ptr<TPortProto> port;
    std::unique_ptr<TControls> registry;
};

class FieldDescription : public ::testing::Test {
protected:
    FieldDescription() { InstallPlatform(&platform); }
    ~FieldDescription() override { InstallPlatform(nullptr); }

    TVirtualPlatform platform;
};

TEST_F(FieldDescription, ModelOfTheFoundInstallationIsFoundAndTestedAlike)
{
    // Connected only below 5 ohms: the field's usual 8 ohms are faults here, so the model's
    // untested channels must be made connected under these thresholds, not the usual ones.
    const TConnectThresholds strict{.connectResistLo = 1, .connectResist = 5, .connectResistHi = 200};
    TFound real(kInstallation);
    ASSERT_EQ(real.registry->Count(), 8);
    real.Test({3, 12, 20, 30}, strict);
    ASSERT_EQ(real.Module(3).ChannelState(4), kChannelFault);  // the short, as tested

    TFound model(DescribeFoundField(*real.registry, real.port->ConverterCount(), strict));
    model.Test({3, 12, 20, 30, 40}, strict);

    ASSERT_EQ(model.registry->Count(), real.registry->Count());
    EXPECT_EQ(model.port->ConverterCount(), 2);
    for (int i = 0; i < real.registry->Count(); ++i) {
        const TCommonDevice& found = *real.registry->DeviceAt(i);
        SCOPED_TRACE("address " + std::to_string(found.address));
        const auto* station = dynamic_cast<const TSoftControl*>(&found);
        const TCommonDevice* copy = station ? model.registry->FindStation(station->peerStationId)
                                            : model.registry->FindByAddress(found.address);
        ASSERT_NE(copy, nullptr);
        EXPECT_EQ(copy->deviceType, found.deviceType);
        EXPECT_EQ(copy->version, found.version);
        EXPECT_EQ(copy->converterIndex, found.converterIndex);
        EXPECT_EQ(copy->attemptMode, found.attemptMode);
        EXPECT_EQ(copy->kindLetter, found.kindLetter);
        EXPECT_EQ(copy->lastResult, 0);
        const auto* module = dynamic_cast<const TCommonControl*>(&found);
        if (!module)
            continue;
        const auto& copied = dynamic_cast<const TCommonControl&>(*copy);
        EXPECT_EQ(copied.channelCount, module->channelCount);
        EXPECT_EQ(copied.modeState, module->modeState);
        EXPECT_EQ(copied.boostState, module->boostState);
        EXPECT_DOUBLE_EQ(copied.supplyVoltage, module->supplyVoltage);
        for (int channel = 0; channel < module->channelCount; ++channel) {
            const bool untested = module->address == 40;
            EXPECT_EQ(copied.ChannelState(channel),
                      untested ? uint8_t{kChannelConnected} : module->ChannelState(channel))
                << "channel " << channel + 1;
            if (!untested) {
                EXPECT_DOUBLE_EQ(copied.ChannelValue(channel), module->ChannelValue(channel))
                    << "channel " << channel + 1;
            }
        }
    }
}

}  // namespace
}  // namespace kv::test
