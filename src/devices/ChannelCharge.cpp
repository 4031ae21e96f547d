#include "devices/ChannelCharge.h"

#include "devices/HVControl.h"
#include "support/Conversions.h"

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

void ComputeChannelCharges(THVControl& module)
{
    const int channels = std::clamp(module.channelCount, 0, kChannelSlots);
    for (int channel = 0; channel < channels; ++channel)
        module.SetChannelCharge(channel, ChargeVolts(module.ChannelValue(channel), module.hvSetting));
}

}  // namespace kv
