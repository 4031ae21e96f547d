#include "devices/readiness/ConnectThresholds.h"

#include "support/text/Conversions.h"

namespace kv {

TConnectThresholds ReadConnectThresholds(const TIniFile& ini)
{
    const auto read = [&ini](const char* key, const char* defaultText) {
        return TextToReal(ini.ReadString("settings", key, defaultText));
    };
    TConnectThresholds thresholds;
    thresholds.connectResistLo = read("ConnectResistLo", "1");
    thresholds.connectResist = read("ConnectResist", "20");
    thresholds.connectResistHi = read("ConnectResistHi", "200");
    return thresholds;
}

}  // namespace kv
