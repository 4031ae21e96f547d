#include "devices/kinds/ChannelCharge.h"

#include "support/text/Conversions.h"

#include <algorithm>
#include <cmath>

namespace kv {

int ChargeVolts(double ohms, int hvSetting)
{
    // A negative product (no reading can give one) must not reach sqrt as NaN.
    const double energy = std::max(0.0, ohms * 100 * hvSetting);
    const int64_t volts = RoundHalfAway(std::sqrt(energy));
    return static_cast<int>(std::clamp<int64_t>(volts, 1, kMaxChargeVolts));
}

}  // namespace kv
