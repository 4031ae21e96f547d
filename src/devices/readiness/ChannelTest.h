#pragma once
// The continuity test of the firing modules' channels: every channel measured and classified
// in turn, one module or all of them, stoppable between two channels, each module's result
// written to the run log.

#include "devices/kinds/CommonControl.h"

#include <functional>
#include <string>

namespace kv {

class TControls;

class TChannelTest {
public:
    explicit TChannelTest(TControls& controls) : controls_(controls) {}

    // false when the operator stopped it.
    bool TestModule(TCommonControl& module);
    // The firing modules in registry order; a stop ends the whole run.
    bool TestAll();

    TConnectThresholds thresholds;
    // Set by the operator's stop; cleared when a module's test starts.
    bool stopRequested = false;
    // A module's test begins, its channels cleared.
    std::function<void(TCommonControl& module)> OnModule;
    // A channel has been measured: redraw and let the operator's keys in.
    std::function<void(TCommonControl& module, int channel)> OnChannel;

private:
    TControls& controls_;
};

// "Тест каналов, пульт: 12, каналов: 32, подключено: 30"
std::string ChannelTestLogLine(const TCommonControl& module);

}  // namespace kv
