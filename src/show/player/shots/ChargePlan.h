#pragma once
// The charges of the high-voltage modules' show shots in firing order. A module holds one
// charge: each shot tells it the charge of its next one, so every way a shot leaves the
// show (fired, passed over, fired by hand, taken back) goes through here, and the charge
// announced is always that of the module's next shot.

#include "show/scenario/Cue.h"

#include <functional>
#include <map>
#include <span>
#include <vector>

namespace kv {

class TControls;

// A cue without a place in its module's sequence.
constexpr int32_t kNoChargeEntry = -1;
// Told to a module whose sequence is used up.
constexpr int kChargeUsedUp = 1;

class TChargePlan {
public:
    explicit TChargePlan(TControls& controls) : controls_(controls) {}

    // Lines up the channel charge of each firing cue from index first on, at or after from,
    // in list order, but those the operator fired by hand already, and tells each module its
    // first charge at once. A module's sequence stops growing when its table is full; its
    // later cues take the place past the table.
    void Prepare(std::span<const TCue> cues, size_t first, int32_t from,
                 const std::function<bool(size_t cue)>& takenByHand);
    // The show's shot of the cue on the module passes its place (a cue without one leaves
    // the module charged for its next). Gives the charge the shot carries: the next one's.
    int ShotCharge(int module, int32_t cue);
    // The show passes over the cue without firing it: its place is passed. True when it had
    // one; the module still holds the passed shot's charge then.
    bool PassOver(int32_t cue);
    // A shot handed to the port and taken back takes its place again.
    void Rewind(int32_t cue);
    // The operator fired the cue by hand: it leaves the sequence, the module's later cues
    // move up one place.
    void RemoveByHand(int32_t cue);
    // Tells the module the charge of its next shot.
    void Announce(int module) const;

    // The charge the module's next shot needs; usedUp when none is left.
    int Next(int module, int usedUp = kChargeUsedUp) const;
    bool HasPlace(int32_t cue) const { return Place(cue) != kNoChargeEntry; }
    int ModuleOf(int32_t cue) const;
    // The modules with a charge lined up.
    std::vector<int> Modules() const;

private:
    struct TSequence {
        std::vector<int> volts;
        int32_t cursor = 0;
    };
    struct TEntry {
        int module = -1;
        int32_t place = kNoChargeEntry;
    };
    int32_t Place(int32_t cue) const;

    TControls& controls_;
    std::map<int, TSequence> sequences_;
    std::vector<TEntry> entries_;  // of each cue
};

}  // namespace kv
