#pragma once
// Progress of a memory operation: percent 0-100; index of the device in the registry, or -1
// at the end; the handler sets abort to stop; channel 1-based or -1 for the whole device;
// address of the device, or -1 at the end.

#include "link/Result.h"

#include <functional>

namespace kv {

using TProgressEvent =
    std::function<void(int percent, int index, bool& abort, int channel, int address)>;

// Raises the event if assigned and returns the abort the handler left.
bool RaiseProgress(const TProgressEvent& event, int percent, int index, int channel,
                   int address);

// The end of a memory operation: an abort without an error gives -101; a clean run raises
// the final (100, -1, ..., -1, -1) event.
TResult FinishTransfer(const TProgressEvent& event, TResult result, bool aborted);

}  // namespace kv
