#pragma once
// The desktop's volume mixer, for the operator to set the soundtrack's level.

namespace kv {

// Starts pavucontrol when the system has it; otherwise logs that there is no mixer to open.
// True when the mixer was started.
bool OpenVolumeMixer();

}  // namespace kv
