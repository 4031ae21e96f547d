#pragma once
// Where the last show stopped and the first cue it had not handled: while the start point
// stays there, or on the time of that cue, a new show goes on after it and fires none twice.
// A rehearsal on a model of the field keeps the real bus's places aside till the real bus is
// back: what the model fired is still to fire there.

#include "show/scenario/Cue.h"

#include <cstdint>
#include <optional>
#include <span>

namespace kv {

class TProjectList;

class TResumePoint {
public:
    struct TPlace {
        int32_t time = 0;
        int32_t cue = 0;  // the first not handled
    };

    // A show on the scenario, as it stands, stopped at place.
    void Stopped(const TProjectList* scenario, bool rehearsal, TPlace place);
    // The show ended: its place moves to the time of its last cue.
    void MoveTo(int32_t time) { last_.place.time = time; }
    int32_t Cue() const { return last_.place.cue; }
    // The scenario as it stands, and the bus, of the last show.
    bool SameShow(const TProjectList* scenario, bool rehearsal) const;
    // The start point stands where the last show stopped, or on the time of the first cue it
    // had not handled.
    bool LeftOff(std::span<const TCue> cues, TPlace start) const;

    // A model of the field on the bus: the real bus's start point and resume point are kept
    // aside (once), and a rehearsal begins where the real show stands.
    void EnterModel(const TProjectList* scenario, TPlace start);
    // The real bus back: its resume point again, and its start point to take when the
    // scenario is still the one it was for.
    std::optional<TPlace> LeaveModel(const TProjectList* scenario);

private:
    struct TLastShow {
        const TProjectList* scenario = nullptr;
        bool rehearsal = false;  // what a model fired is still to fire on the real bus
        uint32_t revision = 0;
        TPlace place;
    };
    struct TRealBus {
        const TProjectList* scenario = nullptr;
        uint32_t revision = 0;
        TPlace start;
        TLastShow last;
    };

    TLastShow last_;
    std::optional<TRealBus> realBus_;
};

}  // namespace kv
