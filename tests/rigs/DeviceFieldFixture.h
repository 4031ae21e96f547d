#pragma once
// A registry on virtual time over the simulated field, through the real port and command set.

#include "devices/memory/ModuleTransfer.h"
#include "devices/registry/Controls.h"
#include "field/bus/Field.h"
#include "field/bus/FieldPort.h"
#include "field/devices/SimModule.h"
#include "link/PortProto.h"
#include "support/platform/VirtualPlatform.h"

#include <gtest/gtest.h>

#include <memory>
#include <vector>

namespace kv::test {

struct TProgressStep {
    int percent;
    int index;
    int channel;
    int address;
};

class DeviceFieldFixture : public ::testing::Test {
protected:
    DeviceFieldFixture();
    ~DeviceFieldFixture() override;

    TSimModule& AddModule(const TModuleSetup& setup);
    void AddDevice(std::unique_ptr<TSimDevice> device);
    // Opens the port and creates the registry; unsolicited frames reach it through Pump.
    void Connect();
    // The memory of the registry's firing modules; each progress step goes into progress.
    TModuleTransfer Transfer();
    // Lets the port hand over what arrived during ms, as its thread would.
    void Pump(uint32_t ms);
    template <typename T>
    T& Registered(int address)
    {
        auto* device = dynamic_cast<T*>(registry->AddOrRefresh(address, 0));
        EXPECT_NE(device, nullptr) << "address " << address;
        return *device;
    }
    // Frames of one code that the PC sent since the record was cleared.
    std::vector<TFrameEntry> SentFrames(uint8_t code);
    // The simulated module after the field has caught up with the present.
    TSimModule& SimModuleAt(int address);

    TVirtualPlatform platform;
    std::shared_ptr<TField> field;
    std::unique_ptr<TPortProto> port;
    std::unique_ptr<TControls> registry;
    std::vector<int> changes;
    std::vector<TProgressStep> progress;
};

}  // namespace kv::test
