#pragma once
// The bus switched to a simulated field built from what the last search and channel test
// found, and back. Meanwhile the real converters are closed and held aside, out of the
// port's reach, and what the console knew of the real modules is put back when it ends.

#include "devices/kinds/CommonControl.h"
#include "field/bus/FieldClock.h"

#include <map>
#include <memory>
#include <optional>
#include <string>

namespace kv {

class TCommonPort;
class TControls;
class TPortProto;

class TRehearsal {
public:
    // clock: the model's line time (tests on virtual time give the platform's).
    TRehearsal(TPortProto& port, TControls& controls,
               std::shared_ptr<TFieldClock> clock = std::make_shared<TSteadyFieldClock>())
        : port_(port), controls_(controls), clock_(std::move(clock))
    {
    }
    ~TRehearsal();
    TRehearsal(const TRehearsal&) = delete;
    TRehearsal& operator=(const TRehearsal&) = delete;

    bool Active() const { return real_ != nullptr; }
    // 0, or -1 with the reason when no model could be built (the bus is left as it was).
    int Begin(const TConnectThresholds& thresholds, std::string& problem);
    // The real converters back on the bus, opened again.
    void End();

private:
    // What the model's tests, shots, writes and settings change on a module's registry entry.
    struct TRealModule {
        TCommonControl::TChannelResults channels;
        std::optional<uint32_t> channelsTestedAt;
        std::optional<uint64_t> memoryFingerprint;
        int motorMovesAtLeast = 0;
        std::optional<int> motorMovesAtMost;
        std::optional<int32_t> hvSetting;
        bool wentSilent = false;
    };

    TPortProto& port_;
    TControls& controls_;
    std::shared_ptr<TFieldClock> clock_;
    std::unique_ptr<TCommonPort> real_;
    std::map<int, TRealModule> saved_;  // by module address
};

}  // namespace kv
