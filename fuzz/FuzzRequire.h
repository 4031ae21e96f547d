#pragma once
// A broken promise ends the fuzz run with the input that broke it.

#include <cstdlib>

namespace kv::fuzz {

inline void Require(bool condition)
{
    if (!condition)
        std::abort();
}

}  // namespace kv::fuzz
