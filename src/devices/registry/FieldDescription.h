#pragma once
// The installation the bus search found, written in the simulated field's file format, so
// that a show can be rehearsed on a model of it: the same devices, addresses, firmware,
// converters and channel counts, each channel as the last channel test found it (open,
// short, its resistance) and an untested channel connected.

#include "devices/kinds/CommonControl.h"

#include <string>

namespace kv {

class TControls;

// converterCount: the converters open now; the field has at least as many as the devices name.
std::string DescribeFoundField(const TControls& controls, int converterCount,
                               const TConnectThresholds& thresholds);

}  // namespace kv
