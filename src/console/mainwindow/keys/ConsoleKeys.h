#pragma once
// The keys the console gives a meaning of its own, as virtual key codes, and which of the
// others the operator may set as the start key or the hold-to-fire key.

#include <array>

namespace kv {

// Key i of the manual firing keyboard fires channel page × 40 + i.
extern const std::array<int, 40> kManualKeys;

// Keys the launch page's own table names; the start key is tried only for the others.
bool NamedByLaunchTable(int key);

// Neither a key of the console's own nor the hold-to-fire key; F5 as it always was.
bool StartKeyAllowed(int key, int deadManKey);
// 0 (off), or a key the console leaves free that is not the start key: the switch takes its
// key from every window, so F6 or Esc there would take away the stop.
bool DeadManKeyAllowed(int key, int startKey);

}  // namespace kv
