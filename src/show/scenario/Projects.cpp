#include "show/scenario/Projects.h"

namespace kv {

TProjectList* TProjects::Project(int index)
{
    return index >= 0 && index < kSlotCount ? &slots_[static_cast<size_t>(index)] : nullptr;
}

const TProjectList* TProjects::Project(int index) const
{
    return const_cast<TProjects*>(this)->Project(index);
}

}  // namespace kv
