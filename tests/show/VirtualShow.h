#pragma once
// A show on virtual time. The tick counter starts just below its wrap, so every show here
// also runs across a wrap of the 32-bit counter.

#include "show/ShowField.h"

#include "devices/HVControl.h"

#include "field/FieldClock.h"
#include "support/VirtualPlatform.h"

#include <gtest/gtest.h>

#include <algorithm>

namespace kvtest {

class VirtualShow : public ::testing::Test {
protected:
    static constexpr uint32_t kStartTick = 0xFFFFFFFFu - 1500;

    VirtualShow()
    {
        kv::InstallPlatform(&platform);
        show = std::make_unique<TShowField>(std::make_shared<kv::TPlatformFieldClock>());
    }
    ~VirtualShow() override
    {
        show.reset();
        kv::InstallPlatform(nullptr);
    }

    kv::TExtPlayer& Player() { return *show->player; }
    // The tick the clock counts from (no high-voltage module charges before it).
    uint32_t Start(int32_t from)
    {
        const uint32_t tick = platform.TickCount();
        Player().Start(from);
        return tick;
    }
    bool RunUntilStopped(uint32_t limitMs)
    {
        return platform.AdvanceUntil([this] { return !Player().IsRunning(); }, limitMs, 25);
    }
    static int32_t Since(uint32_t from, uint32_t tick) { return static_cast<int32_t>(tick - from); }
    bool Logged(const std::string& line)
    {
        return std::find(platform.debugLines.begin(), platform.debugLines.end(), line) !=
               platform.debugLines.end();
    }

    kv::TVirtualPlatform platform{kStartTick};
    std::unique_ptr<TShowField> show;
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

}  // namespace kvtest
