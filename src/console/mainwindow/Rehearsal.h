#pragma once
// The bus switched to a simulated field built from what the last search and channel test
// found, and back. Meanwhile the real converters are closed and held aside, out of the
// port's reach, and the real modules' channel results are put back when it ends.

#include "devices/CommonControl.h"

#include <map>
#include <memory>
#include <string>

namespace kv {

class TCommonPort;
class TControls;
class TPortProto;

class TRehearsal {
public:
    TRehearsal(TPortProto& port, TControls& controls) : port_(port), controls_(controls) {}
    ~TRehearsal();
    TRehearsal(const TRehearsal&) = delete;
    TRehearsal& operator=(const TRehearsal&) = delete;

    bool Active() const { return real_ != nullptr; }
    // 0, or -1 with the reason when no model could be built (the bus is left as it was).
    int Begin(const TConnectThresholds& thresholds, std::string& problem);
    // The real converters back on the bus, opened again.
    void End();

private:
    TPortProto& port_;
    TControls& controls_;
    std::unique_ptr<TCommonPort> real_;
    std::map<int, TCommonControl::TChannelResults> saved_;  // by module address
};

}  // namespace kv
