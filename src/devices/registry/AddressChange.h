#pragma once
// Renumbering a firing module on the bus, with the checks the operator's input goes through.

#include "link/Result.h"

#include <string>

namespace kv {

class TCommonDevice;
class TControls;
class TPortProto;

// Warns the operator when the module's firmware cannot be renumbered.
bool CanChangeAddress(const TCommonDevice& module);
// typed: the new address as the operator entered it. Anything but 1-239 as typed, or an
// address another registered device holds (both would answer and fire together), is refused
// with the operator's error message, as is a failed change. On success the module takes the
// new address. A result code.
TResult ChangeModuleAddress(TControls& controls, TPortProto& port, TCommonDevice& module,
                            const std::string& typed);

}  // namespace kv
