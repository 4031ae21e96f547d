#pragma once
// The byte transport a port setting asks for: "sim:FILE" is the simulated field described by
// FILE, anything else the converters themselves.

#include "link/CommonPort.h"

#include <memory>
#include <string>

namespace kv {

// A field file that cannot be used gives a transport with no converters (it never
// connects) and the reason in problem.
std::unique_ptr<TCommonPort> MakeTransport(const std::string& portSetting,
                                           std::string* problem = nullptr);

}  // namespace kv
