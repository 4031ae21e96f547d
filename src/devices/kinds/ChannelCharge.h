#pragma once
// The charge voltage of a high-voltage module's channel, from the channel's measured
// resistance and the module's charge energy setting.

namespace kv {

constexpr int kMaxChargeVolts = 450;

// round(sqrt(ohms x 100 x setting)), at most 450 and at least 1.
int ChargeVolts(double ohms, int hvSetting);

}  // namespace kv
