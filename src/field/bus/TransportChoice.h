#pragma once
// The byte transport a port setting asks for: "sim:FILE" is the simulated field described by
// FILE, anything else the converters themselves.

#include "link/CommonPort.h"

#include <functional>
#include <memory>
#include <string>

namespace kv {

// Shows on a simulated field are rehearsals: never a real show's record in the log or the
// reports.
bool SimulatedField(const std::string& portSetting);

// A field file that cannot be used gives a transport with no converters (it never
// connects) and the reason in problem. onOpenProblem hears of every converter that will not
// open (it is logged in any case).
std::unique_ptr<TCommonPort> MakeTransport(
    const std::string& portSetting, std::string* problem = nullptr,
    std::function<void(const std::string& text)> onOpenProblem = {});

}  // namespace kv
