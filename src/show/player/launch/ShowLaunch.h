#pragma once
// The run log's account of a show: the start block written as the show starts and the lines
// of its end. The window and kvctl write them through here, so their logs read alike.

#include <cstdint>
#include <string>

namespace kv {

class TExtPlayer;
class TTimecodeChase;

// Empty, or why a show from `from` (ms) must not start at all: "Запуск отменён: ...". Each start
// below refuses so, logged, whichever way it came (key, clock, bus, timecode).
std::string StartRefusal(const TExtPlayer& player, int32_t from);
// Logs the start block and starts the player: joining the soundtrack where it plays already,
// otherwise from the start point (the player's current time). False: refused.
bool StartShow(TExtPlayer& player);
// The start block of an external start from the bus, then the start at from (ms).
bool StartShowExternally(TExtPlayer& player, int32_t from);
// The start block, the start at the start point with the clock following the timecode, and a
// line naming the timecode heard.
bool StartShowOnTimecode(TExtPlayer& player, TTimecodeChase& chase);
// "Остановка проекта"
void LogShowStop();
// "Получена внешняя команда остановки"
void LogRemoteStop();
// Tempo in per mille as the log shows it: 1005 gives "100.5".
std::string TempoLogText(int32_t tempo);

}  // namespace kv
