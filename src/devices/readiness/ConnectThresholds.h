#pragma once
// The resistance limits of the channel classification, from kvshow.ini.

#include "devices/kinds/CommonControl.h"
#include "support/text/IniFile.h"

namespace kv {

// [settings] ConnectResistLo, ConnectResist, ConnectResistHi; missing keys keep 1, 20 and
// 200, a value that is no number reads as 0.
TConnectThresholds ReadConnectThresholds(const TIniFile& ini);

}  // namespace kv
