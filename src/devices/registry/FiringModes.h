#pragma once
// Every firing module found put into test mode or fire mode at once (the console's F11 and
// F12, kvctl mode).

#include <vector>

namespace kv {

class TControls;

// The addresses told, each with whether it took the command.
struct TModeResult {
    std::vector<int> taken;
    std::vector<int> failed;
};

TModeResult SetFiringModulesTestMode(TControls& controls, bool test);

}  // namespace kv
