#pragma once
// The word the cue list shows in the channel column for a motor cue.

#include <cstdint>
#include <string>

namespace kv {

std::string MotorWord(int32_t kind);

}  // namespace kv
