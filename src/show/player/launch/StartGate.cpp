#include "show/player/launch/StartGate.h"

#include "show/player/ExtPlayer.h"
#include "show/player/launch/ShowLaunch.h"
#include "support/lang/AddedMessages.h"

#include <utility>

namespace kv {

TStartGate::TStartGate(const TExtPlayer& player, TChecks checks)
    : player_(player), checks_(std::move(checks))
{
}

TStartVerdict TStartGate::Open(TWay way)
{
    if (checks_.keyHeld && !checks_.keyHeld())
        return TStartVerdict::KeyNotHeld;
    if (way == TWay::Now && checks_.converterPresent && !checks_.converterPresent()) {
        checks_.refuse(Localize(kMsgStartCalledOffConverterLost));
        return TStartVerdict::NoConverter;
    }
    if (const std::string why = StartRefusal(player_, player_.CurrentTime()); !why.empty()) {
        checks_.refuse(why);
        return TStartVerdict::ChargesRefused;
    }
    if (checks_.goNoGo && !checks_.goNoGo())
        return TStartVerdict::HeldByGoNoGo;
    return TStartVerdict::Open;
}

TStartVerdict TStartGate::Confirm(TWay way)
{
    // A show stopped before the questions is not asked about.
    if (StopHeardSince())
        return TStartVerdict::StopHeard;
    const bool goesOn = !checks_.operatorGoesOn || checks_.operatorGoesOn();
    // A stop that came while a question stood open is why the start is off, even when it
    // also answered the question (kvctl's Ctrl+C reads as "no").
    if (StopHeardSince())
        return TStartVerdict::StopHeard;
    if (!goesOn)
        return TStartVerdict::OperatorDeclined;
    if (way == TWay::Now && player_.IsRunning())
        return TStartVerdict::AlreadyRunning;
    return KeyAndConverter(way);
}

void TStartGate::Mark()
{
    stops_ = checks_.stopsHeard ? checks_.stopsHeard() : 0;
}

TStartVerdict TStartGate::StillOpen()
{
    if (StopHeardSince())
        return TStartVerdict::StopHeard;
    if (player_.IsRunning())
        return TStartVerdict::AlreadyRunning;
    return KeyAndConverter(TWay::Now);
}

bool TStartGate::StopHeardSince() const
{
    return checks_.stopsHeard && checks_.stopsHeard() != stops_;
}

TStartVerdict TStartGate::KeyAndConverter(TWay way)
{
    if (checks_.keyHeld && !checks_.keyHeld())
        return TStartVerdict::KeyNotHeld;
    if (checks_.converterPresent && !checks_.converterPresent()) {
        checks_.refuse(Localize(way == TWay::Now ? kMsgStartCalledOffConverterLost
                                                 : kMsgNoWaitWithoutConverter));
        return TStartVerdict::NoConverter;
    }
    return TStartVerdict::Open;
}

}  // namespace kv
