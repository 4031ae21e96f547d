// Finding devices: the probe of one address per tick, announcements and station discovery.

#include "devices/registry/Controls.h"

#include "devices/kinds/AutoControl.h"
#include "devices/kinds/HVControl.h"
#include "devices/kinds/MotorControl.h"
#include "devices/kinds/RadioModule.h"
#include "devices/kinds/RemoteControl.h"
#include "devices/kinds/SoftControl.h"
#include "link/PortProto.h"
#include "support/platform/Platform.h"
#include "support/text/Conversions.h"

#include <optional>

namespace kv {

namespace {
constexpr uint32_t kAddPauseMs = 100;
constexpr uint32_t kStationPauseMs = 5;
constexpr int kFirstSearchAddress = 240;
constexpr uint8_t kAcceptAnnouncements = 1;
constexpr uint8_t kProbeBus = 2;
constexpr uint8_t kAnnouncementCode = 0x70;
constexpr uint8_t kStationSearchCode = 0x01;
constexpr uint8_t kStationAnswerCode = 0x02;

// What a firing module's answers tell of which module it is; modules have no serial number.
struct TModuleIdentity {
    int32_t version;
    char kindLetter;
    int32_t channelCount;
    bool operator==(const TModuleIdentity&) const = default;
};

std::optional<TModuleIdentity> IdentityOf(const TCommonDevice& device)
{
    const auto* module = dynamic_cast<const TCommonControl*>(&device);
    if (!module || !IsFiringModuleAddress(device.address))
        return std::nullopt;
    return TModuleIdentity{module->version, module->kindLetter, module->channelCount};
}

}  // namespace

std::unique_ptr<TCommonDevice> TControls::CreateByAddress(int address, int converter)
{
    if (address == 0)
        return std::make_unique<TRemoteControl>(port_);
    if (IsRadioModuleAddress(address))
        return std::make_unique<TRadioModule>(port_, address);
    if (!IsFiringModuleAddress(address))
        return nullptr;
    int clockMs = 0;
    char letter = 0;
    if (port_.QueryClock(address, converter, -1, clockMs, letter) != 0)
        return std::make_unique<TAutoControl>(port_, address);  // firmware without a clock
    int channels = 0;
    int trailer = -1;
    if (port_.QueryIdentificationExtended(address, converter, channels, trailer) != 0)
        return nullptr;
    std::unique_ptr<TCommonDevice> module;
    if (letter == 'P')
        module = std::make_unique<TMotorControl>(port_, address);
    else if (letter == 'Q' || letter == 'R' || channels == 4)
        module = std::make_unique<THVControl>(port_, address);
    else
        module = std::make_unique<TAutoControl>(port_, address);
    module->attemptMode = trailer;
    return module;
}

TCommonDevice* TControls::AddOrRefresh(int address, int converter)
{
    if (TCommonDevice* known = FindByAddress(address)) {
        if (RefreshedAsTheSameModule(*known, converter))
            return known;
        // Its memory, channels, class and attempt mode were those of the module it replaced.
        RemoveAt(IndexOf(known));
        if (OnChange)
            OnChange(address);
    }
    std::unique_ptr<TCommonDevice> created = CreateByAddress(address, converter);
    if (!created)
        return nullptr;
    TCommonDevice* device = created.get();
    devices_.push_back(std::move(created));
    Platform().Sleep(kAddPauseMs);
    Reread(*device, converter, kAddPauseMs);
    return device;
}

bool TControls::RefreshedAsTheSameModule(TCommonDevice& device, int converter)
{
    const auto* module = dynamic_cast<const TCommonControl*>(&device);
    if (module && module->wentSilent)
        return false;
    const std::optional<TModuleIdentity> before = IdentityOf(device);
    Reread(device, converter, kAddPauseMs);
    return IdentityOf(device) == before;
}

TSoftControl* TControls::AddOrRefreshStation(int stationId, int converter)
{
    TSoftControl* station = FindStation(stationId);
    if (!station) {
        auto created = std::make_unique<TSoftControl>(port_, stationId);
        station = created.get();
        devices_.push_back(std::move(created));
    }
    station->unseen = false;
    Reread(*station, converter, kStationPauseMs);
    return station;
}

void TControls::Reread(TCommonDevice& device, int converter, uint32_t pauseMs)
{
    device.converterIndex = converter;
    Platform().Sleep(pauseMs);
    device.Refresh();
    Platform().Sleep(pauseMs);
    device.Poll();
    Platform().Sleep(pauseMs);
    if (OnChange)
        OnChange(device.address);
}

void TControls::SetSearchMode(uint8_t flags)
{
    searchFlags = flags;
    if (!(flags & kProbeBus)) {
        searchTimer_->SetEnabled(false);
        return;
    }
    for (const auto& device : devices_)
        if (auto* station = dynamic_cast<TSoftControl*>(device.get()))
            station->unseen = true;
    searchAddress = kFirstSearchAddress;
    searchTimer_->SetInterval(static_cast<uint32_t>(port_.ReplyTimeout));
    searchTimer_->SetEnabled(true);
}

void TControls::SearchTick()
{
    const int address = searchAddress;
    if (address != kStationAddress)
        ProbeAddress();
    else
        StationRound();
    if (OnSearchProgress)
        OnSearchProgress(Percent(address, 255), address);
    searchAddress = (address + 1) % 256;
}

void TControls::ProbeAddress()
{
    int converter = -1;
    int version = 0;
    if (port_.QueryVersionAny(searchAddress, converter, version) == 0) {
        AddOrRefresh(searchAddress, converter);
        return;
    }
    const int index = IndexOf(FindByAddress(searchAddress));
    if (index < 0)
        return;
    RemoveAt(index);
    if (OnChange)
        OnChange(searchAddress);
}

void TControls::StationRound()
{
    for (int i = Count() - 1; i >= 0; --i) {
        auto* station = dynamic_cast<TSoftControl*>(devices_[static_cast<size_t>(i)].get());
        if (!station)
            continue;
        if (station->unseen)
            RemoveAt(i);
        else
            station->unseen = true;
    }
    Ignore(port_.SendStationSearch(), "the next round asks again");
}

void TControls::HandleUnsolicitedFrame(const TFrameRecord& frame, int converter)
{
    const uint8_t code = frame[0];
    const int address = frame[5];
    const bool accepting = searchFlags & kAcceptAnnouncements;
    if (IsFiringModuleAddress(address) && code == kAnnouncementCode) {
        if (accepting)
            AddOrRefresh(address, converter);
    } else if (address == kStationAddress && code == kStationSearchCode) {
        if (frame[4] == 0 || frame[4] == port_.StationId())
            Ignore(port_.SendStationAnswer(frame[3]), "the asking station asks again");
    } else if (address == kStationAddress && code == kStationAnswerCode) {
        if (accepting)
            AddOrRefreshStation(frame[3], converter);
    }
}

}  // namespace kv
