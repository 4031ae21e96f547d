#include "devices/registry/Controls.h"

#include "devices/kinds/CommonControl.h"
#include "devices/kinds/SoftControl.h"
#include "link/PortProto.h"
#include "support/platform/Platform.h"

#include <algorithm>

namespace kv {

bool IsFiringModuleAddress(int address)
{
    return address >= 1 && address <= 199;
}

bool IsRadioModuleAddress(int address)
{
    return address >= 240 && address <= 254;
}

TControls::TControls(TPortProto& port)
    : port_(port), searchTimer_(Platform().CreateTimer([this] { SearchTick(); }))
{
}

TControls::~TControls() = default;

TCommonDevice* TControls::FindByAddress(int address) const
{
    for (const auto& device : devices_)
        if (device->address == address)
            return device.get();
    return nullptr;
}

TSoftControl* TControls::FindStation(int stationId) const
{
    for (auto it = devices_.rbegin(); it != devices_.rend(); ++it) {
        if ((*it)->address != kStationAddress)
            continue;
        auto* station = dynamic_cast<TSoftControl*>(it->get());
        if (station && station->peerStationId == stationId)
            return station;
    }
    return nullptr;
}

TCommonDevice* TControls::DeviceAt(int index) const
{
    if (index < 0 || index >= Count())
        return nullptr;
    return devices_[static_cast<size_t>(index)].get();
}

template <typename Predicate>
int TControls::CountIf(Predicate predicate) const
{
    return static_cast<int>(std::count_if(devices_.begin(), devices_.end(),
                                          [&](const auto& device) { return predicate(*device); }));
}

int TControls::FiringModuleCount() const
{
    return CountIf([](const TCommonDevice& d) { return IsFiringModuleAddress(d.address); });
}

int TControls::RadioModuleCount() const
{
    return CountIf([](const TCommonDevice& d) { return IsRadioModuleAddress(d.address); });
}

int TControls::StationCount() const
{
    return CountIf([](const TCommonDevice& d) { return d.address == kStationAddress; });
}

int TControls::HasRemoteControl() const
{
    return FindByAddress(0) ? 1 : 0;
}

int TControls::FirstFiringModuleIndex() const
{
    for (int i = 0; i < Count(); ++i)
        if (IsFiringModuleAddress(devices_[static_cast<size_t>(i)]->address))
            return i;
    return -1;
}

int TControls::LastFiringModuleIndex() const
{
    for (int i = Count() - 1; i >= 0; --i)
        if (IsFiringModuleAddress(devices_[static_cast<size_t>(i)]->address))
            return i;
    return -1;
}

int TControls::IndexOf(const TCommonDevice* device) const
{
    for (int i = 0; i < Count(); ++i)
        if (devices_[static_cast<size_t>(i)].get() == device)
            return i;
    return -1;
}

void TControls::RemoveAt(int index)
{
    devices_.erase(devices_.begin() + index);
}

void TControls::SortByAddress()
{
    // Equal addresses keep their order, as the display expects.
    std::stable_sort(devices_.begin(), devices_.end(),
                     [](const auto& a, const auto& b) { return a->address < b->address; });
}

}  // namespace kv
