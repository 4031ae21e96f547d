#pragma once
#include "support/platform/Platform.h"

#include <string>

namespace kv {

// Fills the power status from the kernel's power-supply class (AC online, battery present,
// capacity). False when the folder holds no supply at all.
bool ReadPowerSupply(TPowerStatus& status,
                     const std::string& root = "/sys/class/power_supply");

}  // namespace kv
