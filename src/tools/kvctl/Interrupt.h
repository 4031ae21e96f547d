#pragma once
// SIGINT, SIGTERM and SIGHUP as the operator's stop: the running command notices it at its
// next step.

namespace kv {

void CatchInterrupt();
bool Interrupted();

}  // namespace kv
