#include "show/player/bus/BusFailureLog.h"

#include "support/log/RunLog.h"

#include <string>

namespace kv {

void LogFailure(TResult result, const TMessage& what, int number)
{
    if (result != kLinkOk)
        WriteLog(Localize(what) + " " + std::to_string(number) + ". " + ResultText(result));
}

}  // namespace kv
