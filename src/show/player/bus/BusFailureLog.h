#pragma once
// The bus commands a show sends without waiting on them (charges, the switch-off at a stop,
// the clock, the notices): a failure does not hold the show up, and the run log says which
// and why.

#include "link/Result.h"
#include "support/lang/AddedMessages.h"

namespace kv {

// One run-log line on a failure: what, then number (a module or a show time), then the result.
void LogFailure(TResult result, const TMessage& what, int number);

}  // namespace kv
