#pragma once
// What kvctl's show and standby share around a running show: the player wired to the loop that
// waits for its end, and what follows the end.

#include <QJsonObject>

#include <cstdint>

class QEventLoop;

namespace kv {

struct TCtlArguments;
class TCtlSession;
class TFiringReport;

// How often a running command looks for the operator's Ctrl+C.
inline constexpr uint32_t kInterruptPollMs = 25;

enum class TEnd { Running, Finished, RemoteStop, Operator, ConverterLost, Refused };

// The trace started when one is asked for; false when its file cannot be written (told).
bool TraceAsAsked(TCtlSession& session, const TCtlArguments& arguments);
// The player's stop ends the loop with end told; the console's device poll between shots.
void WirePlayer(TCtlSession& session, TEnd& end, QEventLoop& loop);
// A show given to the standby goes on there: the shots heard go into this station's report,
// until the standby's stop, the show's time out, or Ctrl+C.
void HearStandbyShowOut(TCtlSession& session);
// After the loop: the stop still owed delivered, the fired channels checked, the report
// written where asked, the JSON object printed when asked (the show's fields added to json).
// The exit status: 0 only for a show that ended by itself with every cue of it out, nothing
// failed besides.
int FinishShow(TCtlSession& session, const TCtlArguments& arguments, const TFiringReport& report,
               TEnd end, bool failedBesides, QJsonObject json);

}  // namespace kv
