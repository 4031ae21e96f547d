#pragma once
// The texts the memory operations window shows and logs.

#include <string>

namespace kv {

// The outcome of a memory operation in the operator's words.
std::string MemoryStatusText(int result);
// The module and channel being worked on: empty at the end (index -1), the module alone
// when the step concerns the whole device (channel -1).
std::string MemoryProgressLabel(int index, int channel, int address);

}  // namespace kv
