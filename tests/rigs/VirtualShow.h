#pragma once
// A show on virtual time. The tick counter starts just below its wrap, so every show here
// also runs across a wrap of the 32-bit counter.

#include "rigs/ShowField.h"

#include "field/bus/FieldClock.h"
#include "support/platform/VirtualPlatform.h"

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
    // The tick the clock counts from (no high-voltage module charges before it). The start
    // point is set first, as the console's keys set it; Start(Player().CurrentTime()) goes on
    // from where the last show stopped, as the start key does.
    uint32_t Start(int32_t from)
    {
        if (from != Player().CurrentTime())
            SetStartPoint(from);
        const uint32_t tick = platform.TickCount();
        Player().Start(from);
        return tick;
    }
    // A firing module 1, a motor module 3 and a high-voltage module 5, connected.
    void ConnectMixedField()
    {
        show->AddModule(Module(1));
        show->AddModule(Module(3, kv::TModuleKind::Motor));
        show->AddModule(Module(5, kv::TModuleKind::HighVoltage));
        show->Connect();
    }
    // On the first cue at or after from.
    void SetStartPoint(int32_t from)
    {
        Player().SetStartPoint(from, Player().FirstCueFrom(from));
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

}  // namespace kvtest
