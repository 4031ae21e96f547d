#pragma once
// The eight project slots the operator picks with the keys 1-8.

#include "show/scenario/ProjectList.h"

#include <array>

namespace kv {

class TProjects {
public:
    static constexpr int kSlotCount = 8;

    // The scenario of slot index, nullptr outside 0 .. kSlotCount - 1.
    TProjectList* Project(int index);
    const TProjectList* Project(int index) const;

private:
    std::array<TProjectList, kSlotCount> slots_;
};

}  // namespace kv
