#include "show/player/launch/ResumePoint.h"

#include "show/scenario/ProjectList.h"

namespace kv {

void TResumePoint::Stopped(const TProjectList* scenario, bool rehearsal, TPlace place)
{
    last_ = {scenario, rehearsal, scenario ? scenario->Revision() : 0, place};
}

bool TResumePoint::SameShow(const TProjectList* scenario, bool rehearsal) const
{
    return scenario && scenario == last_.scenario && scenario->Revision() == last_.revision &&
           rehearsal == last_.rehearsal;
}

bool TResumePoint::LeftOff(std::span<const TCue> cues, TPlace start) const
{
    const int32_t cue = last_.place.cue;
    const bool onCueLeft = cue >= 0 && static_cast<size_t>(cue) < cues.size() && start.cue >= cue &&
                           start.time == cues[static_cast<size_t>(cue)].time;
    return (start.cue == cue && start.time == last_.place.time) || onCueLeft;
}

void TResumePoint::EnterModel(const TProjectList* scenario, TPlace start)
{
    if (!realBus_)
        realBus_ = TRealBus{scenario, scenario ? scenario->Revision() : 0, start, last_};
    last_ = {};
}

std::optional<TResumePoint::TPlace> TResumePoint::LeaveModel(const TProjectList* scenario)
{
    if (!realBus_)
        return std::nullopt;
    // A scenario loaded or switched to meanwhile has the start point the console gave it.
    std::optional<TPlace> start;
    if (scenario && realBus_->scenario == scenario && realBus_->revision == scenario->Revision())
        start = realBus_->start;
    last_ = realBus_->last;
    realBus_.reset();
    return start;
}

}  // namespace kv
