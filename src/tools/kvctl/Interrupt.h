#pragma once
// SIGINT, SIGTERM and SIGHUP as the operator's stop: the running command notices it at its
// next step.

namespace kv {

void CatchInterrupt();
// Ctrl+Z and Ctrl+\ as Ctrl+C too, for a show: the process is not stopped or ended by them.
void CatchSuspendAndQuit();
bool Interrupted();
// How many came: a wait that follows the stop ends on the next.
int Interrupts();

}  // namespace kv
