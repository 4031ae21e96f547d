#pragma once
// The charge voltages of the high-voltage modules in firing order. Each shot of a show tells
// its module the charge for the following shot, so the voltages are lined up before the start.

#include "show/Cue.h"

#include <span>

namespace kv {

class TControls;
class THVControl;
class TPortProto;

// Empties every high-voltage module's sequence, then appends the channel charge of each
// firing cue from `from` on, in list order, and sends each module its first charge at once.
// A module's sequence stops growing when its table is full.
void PrepareChargeSequences(TControls& controls, TPortProto& port, std::span<const TCue> cues,
                            int32_t from);

// Moves the cursor past the shot being fired and gives the charge for the next one; 1 once
// the sequence is used up.
int NextShotCharge(THVControl& module);

}  // namespace kv
