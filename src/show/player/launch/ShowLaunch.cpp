#include "show/player/launch/ShowLaunch.h"

#include "devices/memory/ScenarioChecks.h"
#include "show/player/ExtPlayer.h"
#include "show/scenario/ProjectList.h"
#include "show/timecode/TimecodeChase.h"
#include "support/lang/AddedMessages.h"
#include "support/text/Conversions.h"
#include "support/lang/Localizer.h"
#include "support/platform/Platform.h"
#include "support/log/RunLog.h"

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <optional>

namespace kv {

namespace {

std::string FiringModeWord(uint8_t mode)
{
    switch (mode) {
    case kFiringManual:
        return Localize(36, "ручной");
    case kFiringBoth:
        return Localize(37, "автомат, ручной");
    default:
        return Localize(35, "автомат");
    }
}

std::string ControlModeWord(uint8_t mode)
{
    return mode == kControlAutonomous ? Localize(38, "автономный")
                                      : Localize(39, "прямое управление");
}

void LogStartBlock(TExtPlayer& player)
{
    const TShowSetup setup = player.Setup();
    WriteLog(Localize(32, "Запуск проекта"));
    if (setup.rehearsal)
        WriteLog(Localize(kMsgRehearsalShow));
    if (setup.firingMode != kFiringManual) {
        const int32_t duration = setup.scenario ? setup.scenario->Duration() : 0;
        WriteLog(Localize(33, "Проект:") + " " + ClockText(duration, 0));
    }
    TBassPlayer& soundtrack = player.Soundtrack();
    if (soundtrack.Loaded())
        WriteLog(Localize(34, "Фонограмма:") + " " +
                 std::filesystem::path(soundtrack.FileName()).filename().string() + " [" +
                 ClockText(soundtrack.TimeLength(), 0) + "]");
    WriteLog(Localize(40, "Режимы:") + " " + FiringModeWord(setup.firingMode) + ", " +
             ControlModeWord(setup.controlMode));
    WriteLog(Localize(41, "Темп:") + " " + TempoLogText(player.Tempo()) + "%, " +
             Localize(42, "смещение:") + " " + IntToText(player.Offset()) + " ms");
}

bool Refused(const TExtPlayer& player, int32_t from)
{
    const std::string why = StartRefusal(player, from);
    if (!why.empty())
        WriteLog(why);
    return !why.empty();
}

}  // namespace

std::string StartRefusal(const TExtPlayer& player, int32_t from)
{
    const std::vector<int> untold = player.ChargesUntold(from);
    if (untold.empty())
        return {};
    return Localize(kMsgStartRefused) + " " + Localize(kMsgChargesInTurn) + " " +
           ModuleListText(untold) + ". " + Localize(kMsgChargesInTurnTodo);
}

bool StartShow(TExtPlayer& player)
{
    TBassPlayer& soundtrack = player.Soundtrack();
    const bool joinMusic = soundtrack.Loaded() && soundtrack.IsPlaying();
    const int32_t from =
        joinMusic ? static_cast<int32_t>(soundtrack.HeardMs()) : player.CurrentTime();
    if (Refused(player, from))
        return false;
    LogStartBlock(player);
    if (joinMusic) {
        WriteLog(Localize(43, "Точка запуска: по фонограмме") + " " +
                 ClockText(soundtrack.TimePosition(), 0));
        player.StartFromSoundtrack();
        return true;
    }
    player.Start(from);
    WriteLog(Localize(44, "Точка запуска:") + " " + ClockText(from, 0));
    return true;
}

bool StartShowExternally(TExtPlayer& player, int32_t from)
{
    if (Refused(player, from))
        return false;
    LogStartBlock(player);
    player.Start(from);
    WriteLog(Localize(44, "Точка запуска:") + " " + ClockText(from, 0));
    return true;
}

bool StartShowOnTimecode(TExtPlayer& player, TTimecodeChase& chase)
{
    const int32_t from = player.CurrentTime();
    if (Refused(player, from))
        return false;
    LogStartBlock(player);
    // The checks of the last show's shots end with it, as at any start.
    player.ClearFired();
    player.StartChased(from, chase);
    WriteLog(Localize(44, "Точка запуска:") + " " + ClockText(from, 0));
    // The frame the show started in: heard in part past the last one decoded, with a freewheel.
    // Never before the start point: a frame decoded since the start was reached may be dated a
    // few milliseconds later and read the moment as the frame before.
    const std::optional<int32_t> heard = chase.Heard(Platform().TickCount());
    const TTimecodeLabel label =
        heard ? chase.LabelOfShowMs(std::max(*heard, from - player.Offset())) : chase.Label();
    WriteLog(Localize(kMsgTimecodeStart) + " " + FormatTimecode(label, chase.DropFrame()) + " (" +
             TimecodeRateName(chase.Rate()) + ")");
    return true;
}

void LogShowStop()
{
    WriteLog(Localize(45, "Остановка проекта"));
}

void LogRemoteStop()
{
    WriteLog(Localize(46, "Получена внешняя команда остановки"));
}

std::string TempoLogText(int32_t tempo)
{
    // Exact to the tenth: a tempo of 100.5 % must not read as 101 % in a show's record.
    const int32_t magnitude = std::abs(tempo);
    return (tempo < 0 ? "-" : "") + IntToText(magnitude / 10) + "." +
           IntToText(magnitude % 10);
}

}  // namespace kv
