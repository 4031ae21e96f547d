#pragma once
// The charge voltages of the high-voltage modules in firing order. Each shot of a show tells
// its module the charge for the following shot, so the voltages are lined up before the start.

#include "show/Cue.h"

#include <functional>
#include <span>
#include <vector>

namespace kv {

class TControls;
class THVControl;
class TPortProto;

// A cue without a place in its module's sequence.
constexpr int32_t kNoChargeEntry = -1;
// Told to a module whose sequence is used up.
constexpr int kChargeUsedUp = 1;

// Empties every high-voltage module's sequence, then appends the channel charge of each
// firing cue from `from` on, in list order, but those the operator fired by hand already,
// and sends each module its first charge at once. A module's sequence stops growing when its
// table is full; its later cues take the place past the table. Returns each cue's place.
std::vector<int32_t> PrepareChargeSequences(TControls& controls, TPortProto& port,
                                            std::span<const TCue> cues, int32_t from,
                                            const std::function<bool(size_t cue)>& takenByHand);

// The show's shot at that place: the cursor passes it. Gives the charge for the next one.
int PassChargeEntry(THVControl& module, int32_t entry);

// The charge the module's next shot in the sequence needs; usedUp when none is left.
int ChargeAtCursor(const THVControl& module, int usedUp);

// A cue the operator fired by hand leaves the sequence: the module's later cues (those of
// cues in `entries` whose module this is) move up one place.
void RemoveChargeEntry(THVControl& module, std::span<const TCue> cues, std::span<int32_t> entries,
                       int32_t entry);

}  // namespace kv
