#pragma once
// SIGINT, SIGTERM and SIGHUP as the operator's stop: the running command notices it at its
// next step.

namespace kv {

void CatchInterrupt();
bool Interrupted();
// How many came: a wait that follows the stop ends on the next.
int Interrupts();

}  // namespace kv
