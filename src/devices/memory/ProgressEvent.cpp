#include "devices/memory/ProgressEvent.h"

#include "link/Result.h"

namespace kv {

bool RaiseProgress(const TProgressEvent& event, int percent, int index, int channel,
                   int address)
{
    bool abort = false;
    if (event)
        event(percent, index, abort, channel, address);
    return abort;
}

TResult FinishTransfer(const TProgressEvent& event, TResult result, bool aborted)
{
    if (result != 0)
        return result;
    if (aborted)
        return kResultAborted;
    RaiseProgress(event, 100, -1, -1, -1);
    return kLinkOk;
}

}  // namespace kv
