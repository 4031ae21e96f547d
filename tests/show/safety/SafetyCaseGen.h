#pragma once
// Random safety cases: shows mixing plain, high-voltage and motor cues, salvos of up to 60
// cues at one moment, positions to lock; and what an operator, the bus and the machine do.

#include "show/safety/SafetyCase.h"

#include <rapidcheck.h>

namespace kvtest {

rc::Gen<TSafetyCase> GenSafetyCase();

}  // namespace kvtest
