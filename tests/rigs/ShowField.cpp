#include "rigs/ShowField.h"

#include "field/bus/FieldPort.h"
#include "support/log/RunLog.h"

namespace kvtest {

TShowField::TShowField(std::shared_ptr<kv::TFieldClock> clock)
    : field(std::make_shared<kv::TField>(std::move(clock)))
{
    kv::SetLogFileName(folder.Path() + "run.log");
    field->SetConverterCount(1);
}

TShowField::~TShowField()
{
    player.reset();
    if (port)
        port->Stop();
    registry.reset();
    port.reset();
}

kv::TSimModule& TShowField::AddModule(const kv::TModuleSetup& setup)
{
    auto module = std::make_unique<kv::TSimModule>(setup);
    kv::TSimModule& added = *module;
    field->AddDevice(std::move(module));
    modules_.push_back({setup.address, setup.converter});
    return added;
}

void TShowField::Connect(bool portThread)
{
    port = std::make_unique<kv::TPortProto>(std::make_unique<kv::TFieldPort>(field, 16, converters));
    if (portThread) {
        port->OnFrameFrom = [this](const kv::TFrameRecord& frame, int converter) {
            registry->HandleUnsolicitedFrame(frame, converter);
            if (player)
                player->HandleMessage(frame);
        };
        port->Start();
    } else {
        port->Reopen();
    }
    registry = std::make_unique<kv::TControls>(*port);
    for (const auto& [address, converter] : modules_)
        registry->AddOrRefresh(address, converter);
    player = std::make_unique<kv::TExtPlayer>(*registry, *port);
    Reconfigure(*player, &kv::TShowSetup::scenario, &scenario);
    field->ClearRecord();
}

void TShowField::LoadScenario(const std::string& text)
{
    scenario.Load(folder.Write("show.txt", text));
}

std::vector<kv::TFrameEntry> TShowField::Sent(int code)
{
    std::vector<kv::TFrameEntry> sent;
    for (const kv::TFrameEntry& entry : field->Frames())
        if (entry.origin == kv::TFrameOrigin::Pc && entry.bytes.size() >= 6 &&
            (code < 0 || entry.bytes[0] == code))
            sent.push_back(entry);
    return sent;
}

std::vector<uint8_t> Bytes(std::initializer_list<int> values)
{
    std::vector<uint8_t> bytes;
    for (int value : values)
        bytes.push_back(static_cast<uint8_t>(value));
    return bytes;
}

std::vector<uint8_t> Head(const kv::TFrameEntry& entry)
{
    return {entry.bytes.begin(), entry.bytes.begin() + 6};
}

}  // namespace kvtest
