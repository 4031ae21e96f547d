#include "rigs/DeviceFieldFixture.h"

#include "field/bus/FieldClock.h"

namespace kv::test {

DeviceFieldFixture::DeviceFieldFixture()
{
    InstallPlatform(&platform);
    field = std::make_shared<TField>(std::make_shared<TPlatformFieldClock>());
    field->SetConverterCount(1);
}

DeviceFieldFixture::~DeviceFieldFixture()
{
    registry.reset();
    port.reset();
    field.reset();
    InstallPlatform(nullptr);
}

TSimModule& DeviceFieldFixture::AddModule(const TModuleSetup& setup)
{
    auto module = std::make_unique<TSimModule>(setup);
    TSimModule& added = *module;
    field->AddDevice(std::move(module));
    return added;
}

void DeviceFieldFixture::AddDevice(std::unique_ptr<TSimDevice> device)
{
    field->AddDevice(std::move(device));
}

void DeviceFieldFixture::Connect()
{
    port = std::make_unique<TPortProto>(std::make_unique<TFieldPort>(field));
    port->Reopen();
    registry = std::make_unique<TControls>(*port);
    port->OnFrameFrom = [this](const TFrameRecord& frame, int converter) {
        registry->HandleUnsolicitedFrame(frame, converter);
    };
    registry->OnChange = [this](int address) { changes.push_back(address); };
}

TModuleTransfer DeviceFieldFixture::Transfer()
{
    return TModuleTransfer(*registry, [this](int percent, int index, bool&, int channel, int address) {
        progress.push_back({percent, index, channel, address});
    });
}

void DeviceFieldFixture::Pump(uint32_t ms)
{
    // A turn of the port thread no longer lets time pass when the line is quiet.
    const uint32_t end = platform.TickCount() + ms;
    while (static_cast<int32_t>(end - platform.TickCount()) > 0) {
        port->Cycle();
        platform.Sleep(1);
    }
}

std::vector<TFrameEntry> DeviceFieldFixture::SentFrames(uint8_t code)
{
    std::vector<TFrameEntry> sent;
    for (const TFrameEntry& entry : field->Frames())
        if (entry.origin == TFrameOrigin::Pc && !entry.bytes.empty() && entry.bytes[0] == code)
            sent.push_back(entry);
    return sent;
}

TSimModule& DeviceFieldFixture::SimModuleAt(int address)
{
    TSimModule* found = nullptr;
    field->WithDevice(address, [&](TSimDevice& device) {
        found = dynamic_cast<TSimModule*>(&device);
    });
    EXPECT_NE(found, nullptr);
    return *found;
}

}  // namespace kv::test
