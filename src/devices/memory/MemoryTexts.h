#pragma once
// The module and channel the memory operations window shows.

#include <string>

namespace kv {

// The module and channel being worked on: empty at the end (index -1), the module alone
// when the step concerns the whole device (channel -1).
std::string MemoryProgressLabel(int index, int channel, int address);

}  // namespace kv
