#pragma once
// The registry of every device found on the bus. It owns the device objects, finds them by
// probing one address per tick while a search runs, discovers other operator stations and
// answers their searches.

#include "devices/kinds/CommonDevice.h"
#include "link/FrameRecord.h"

#include <cstdint>
#include <functional>
#include <memory>
#include <vector>

namespace kv {

class TTimer;
class TSoftControl;

class TControls {
public:
    explicit TControls(TPortProto& port);
    ~TControls();
    TControls(const TControls&) = delete;
    TControls& operator=(const TControls&) = delete;

    // Registers or refreshes the device answering at this address; none for addresses no
    // device kind uses, or a firing module whose identification failed. A firing module that
    // went silent or answers differently is registered anew: nothing known of it carries over.
    TCommonDevice* AddOrRefresh(int address, int converter);
    TSoftControl* AddOrRefreshStation(int stationId, int converter);

    TCommonDevice* FindByAddress(int address) const;
    TSoftControl* FindStation(int stationId) const;
    TCommonDevice* DeviceAt(int index) const;
    int Count() const { return static_cast<int>(devices_.size()); }
    int FiringModuleCount() const;
    int RadioModuleCount() const;
    int StationCount() const;
    int HasRemoteControl() const;
    int FirstFiringModuleIndex() const;
    int LastFiringModuleIndex() const;

    // Bit 0: accept devices and stations that announce themselves; bit 1: probe the bus.
    void SetSearchMode(uint8_t flags);
    void SearchTick();
    void HandleUnsolicitedFrame(const TFrameRecord& frame, int converter);
    void SortByAddress();

    // The port the devices answer on.
    TPortProto& Port() const { return port_; }

    uint8_t searchFlags = 0;
    int32_t searchAddress = 0;
    std::function<void(int address)> OnChange;
    std::function<void(int percent, int address)> OnSearchProgress;

private:
    std::unique_ptr<TCommonDevice> CreateByAddress(int address, int converter);
    // Takes the converter it answered on, reads the device again and reports the change.
    void Reread(TCommonDevice& device, int converter, uint32_t pauseMs);
    // Rereads a registered device; false when a firing module went silent since it was
    // found or now answers as another module would (a spare set to the same address).
    bool RefreshedAsTheSameModule(TCommonDevice& device, int converter);
    void RemoveAt(int index);
    void ProbeAddress();
    void StationRound();
    int IndexOf(const TCommonDevice* device) const;
    template <typename Predicate> int CountIf(Predicate predicate) const;

    TPortProto& port_;
    std::vector<std::unique_ptr<TCommonDevice>> devices_;
    std::unique_ptr<TTimer> searchTimer_;
};

bool IsFiringModuleAddress(int address);
bool IsRadioModuleAddress(int address);
constexpr int kStationAddress = 255;

}  // namespace kv
