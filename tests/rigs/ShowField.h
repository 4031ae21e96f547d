#pragma once
// A show on the simulated field: modules, the real port and command set, the registry, one
// scenario and the player the console would create. Time comes from whichever platform and
// field clock the test chose.

#include "devices/registry/Controls.h"
#include "devices/kinds/HVControl.h"
#include "field/bus/Field.h"
#include "field/devices/SimModule.h"
#include "link/PortProto.h"
#include "show/player/ExtPlayer.h"
#include "show/scenario/ProjectList.h"
#include "rigs/PlayerSetup.h"
#include "rigs/TempFolder.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <utility>
#include <vector>

namespace kvtest {

class TShowField {
public:
    explicit TShowField(std::shared_ptr<kv::TFieldClock> clock);
    ~TShowField();

    kv::TSimModule& AddModule(const kv::TModuleSetup& setup);
    // Opens the port, registers every module added so far and creates the player with this
    // scenario; the field record is emptied afterwards. With the port thread the frames from
    // the bus reach registry and player as in the console.
    void Connect(bool portThread = false);
    void LoadScenario(const std::string& text);
    template <typename T>
    T& Device(int address)
    {
        return dynamic_cast<T&>(*registry->FindByAddress(address));
    }

    // Frames the PC put on the bus, of one code (all when code is negative).
    std::vector<kv::TFrameEntry> Sent(int code = -1);
    std::vector<kv::TShotEntry> Shots() { return field->Shots(); }

    TTempFolder folder;
    std::shared_ptr<kv::TField> field;
    std::vector<int> converters;  // the field converters the PC has; empty: all
    std::unique_ptr<kv::TPortProto> port;
    std::unique_ptr<kv::TControls> registry;
    kv::TProjectList scenario;
    std::unique_ptr<kv::TExtPlayer> player;

private:
    std::vector<std::pair<int, int>> modules_;  // address, converter
};

inline kv::TModuleSetup Module(int address, kv::TModuleKind kind = kv::TModuleKind::Ordinary)
{
    kv::TModuleSetup setup;
    setup.address = address;
    setup.kind = kind;
    setup.channelOhms.assign(16, 10.0);
    return setup;
}

// A high-voltage module's channel c charges to 50 (c + 1) V: at setting 1, volts² / 100 ohms
// (the module reads ohms × 10).
inline void MeasureCharges(kv::THVControl& module, int channels)
{
    module.hvSetting = 1;
    for (int channel = 0; channel < channels; ++channel) {
        const int volts = 50 * (channel + 1);
        ASSERT_EQ(module.ClassifyChannel(channel, volts * volts / 10.0, {}), 0);
    }
}

std::vector<uint8_t> Bytes(std::initializer_list<int> values);
// The frame without its check byte.
std::vector<uint8_t> Head(const kv::TFrameEntry& entry);

}  // namespace kvtest
