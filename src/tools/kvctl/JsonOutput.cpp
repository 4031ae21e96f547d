#include "tools/kvctl/JsonOutput.h"

#include "devices/kinds/CommonControl.h"
#include "devices/readiness/ContinuityReport.h"
#include "devices/registry/Controls.h"
#include "devices/readiness/GoNoGo.h"
#include "devices/kinds/SoftControl.h"
#include "show/import/ShowImport.h"
#include "show/report/FiringReportFile.h"
#include "show/report/FiringSummary.h"
#include "show/timecode/TimecodeChase.h"

#include <QJsonDocument>

#include <array>
#include <cstdio>

namespace kv {

namespace {

QString Text(std::string_view text)
{
    return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

// Counted from 1; null when not known.
QJsonValue FromOne(int zeroBased)
{
    return zeroBased < 0 ? QJsonValue() : QJsonValue(zeroBased + 1);
}

constexpr std::array<const char*, 7> kFindingNames = {
    "module absent", "no such channel", "open", "short", "fault", "no answer", "untested"};

QJsonArray FindingsJson(const std::vector<TChannelFinding>& findings)
{
    QJsonArray array;
    for (const TChannelFinding& finding : findings)
        array.append(QJsonObject{{"channel", finding.channel + 1},
                                 {"finding", kFindingNames.at(static_cast<size_t>(finding.finding))},
                                 {"ohms", finding.ohms}});
    return array;
}

}  // namespace

QJsonObject DeviceJson(const TCommonDevice& device)
{
    const auto* module = dynamic_cast<const TCommonControl*>(&device);
    const auto* station = dynamic_cast<const TSoftControl*>(&device);
    char firmware[4];
    std::snprintf(firmware, sizeof firmware, "%03X", device.version & 0xFFF);
    return {{"address", device.address},
            {"device_type", device.deviceType},
            {"firmware", firmware},
            {"channel_count", module ? module->channelCount : 0},
            {"converter", FromOne(device.converterIndex)},
            {"attempt_mode", device.attemptMode},
            {"kind_letter", device.kindLetter ? QJsonValue(QString(QChar(device.kindLetter)))
                                              : QJsonValue()},
            {"last_result", device.lastResult},
            {"station_id", station ? QJsonValue(station->peerStationId) : QJsonValue()}};
}

QJsonObject CueJson(const TCue& cue, int number)
{
    return {{"cue", number},
            {"time_ms", cue.time},
            {"module", cue.module},
            {"channel", cue.channel + 1},
            {"kind", Text(CueKindName(cue.kind))},
            {"parameter1", cue.parameter1},
            {"parameter2", cue.parameter2},
            {"time_text", Text(cue.timeText)},
            {"effect_time_ms", cue.effectTime ? QJsonValue(*cue.effectTime) : QJsonValue()},
            {"effect", Text(cue.effect)},
            {"position", Text(cue.position)}};
}

QJsonArray CuesJson(std::span<const TCue> cues)
{
    QJsonArray array;
    for (size_t i = 0; i < cues.size(); ++i)
        array.append(CueJson(cues[i], static_cast<int>(i) + 1));
    return array;
}

QJsonObject SummaryJson(const TFiringSummary& summary)
{
    QJsonObject missed;
    for (size_t reason = 1; reason < kMissReasonCount; ++reason)
        missed[Text(MissReasonName(static_cast<TMissReason>(reason)))] = summary.missedBy[reason];
    QJsonObject checked;
    for (const TCheckResult check : {TCheckResult::NoAnswer, TCheckResult::Unknown,
                                     TCheckResult::Connected, TCheckResult::Open,
                                     TCheckResult::Fault})
        checked[Text(CheckResultName(check))] = summary.CheckedAs(check);
    return {{"cues", summary.cues},
            {"fired_on_time", summary.fired},
            {"fired_by_hand", summary.byHand},
            {"from_memory", summary.memory},
            {"fired_by_other_station", summary.elsewhere},
            {"missed", summary.missed},
            {"early", summary.early},
            {"lateness_median_ms", summary.latenessP50},
            {"lateness_p99_ms", summary.latenessP99},
            {"lateness_max_ms", summary.latenessMax},
            {"missed_by_reason", missed},
            {"checked_after_shot", checked}};
}

QJsonObject GoNoGoJson(const std::vector<TGoFinding>& findings)
{
    QJsonArray array;
    for (const TGoFinding& finding : findings)
        array.append(QJsonObject{{"level", finding.level == TGoLevel::NoGo ? "stop" : "caution"},
                                 {"found", Text(finding.found)},
                                 {"todo", Text(finding.todo)}});
    return {{"go", !IsNoGo(findings)},
            {"headline", Text(GoNoGoSummary(findings))},
            {"findings", array}};
}

QJsonArray ConnectedChannelsJson(const TControls& controls)
{
    QJsonArray modules;
    for (int index = 0; index < controls.Count(); ++index) {
        const auto* module = dynamic_cast<const TCommonControl*>(controls.DeviceAt(index));
        if (!module || !IsFiringModuleAddress(module->address))
            continue;
        QJsonArray connected;
        for (int channel = 0; channel < module->channelCount; ++channel)
            if (module->ChannelState(channel) == kChannelConnected)
                connected.append(channel + 1);
        modules.append(QJsonObject{{"address", module->address},
                                   {"channel_count", module->channelCount},
                                   {"connected_channels", connected}});
    }
    return modules;
}

QJsonObject ContinuityJson(const TContinuityReport& report)
{
    QJsonArray modules;
    for (const TModuleContinuity& module : report.modules) {
        QJsonArray unused;
        for (const int channel : module.connectedUnused)
            unused.append(channel + 1);
        modules.append(QJsonObject{{"address", module.address},
                                   {"present", module.present},
                                   {"channel_count", module.channelCount},
                                   {"channels_tested", module.tested},
                                   {"will_not_fire", FindingsJson(module.notReady)},
                                   {"connected_not_in_scenario", unused},
                                   {"faults_not_in_scenario", FindingsJson(module.faultsUnused)}});
    }
    return {{"will_not_fire", report.ShowStoppers()},
            {"untested", report.Untested()},
            {"modules", modules}};
}

QJsonArray RefusalsJson(const std::vector<TImportRefusal>& refused)
{
    QJsonArray array;
    for (const TImportRefusal& refusal : refused)
        array.append(QJsonObject{{"line", static_cast<qint64>(refusal.line)},
                                 {"reason", Text(refusal.reason)}});
    return array;
}

QJsonObject TimecodeJson(TTimecodeChase& chase, uint32_t now)
{
    chase.Poll(now);
    const TTimecodeChase::TRecord& record = chase.Record();
    const bool locked = chase.State() == TTimecodeChase::TState::Locked;
    return {{"rate", locked || record.locks > 0 ? Text(TimecodeRateName(chase.Rate())) : QJsonValue()},
            {"locked", locked},
            // The show's end, not the report's moment: the wind-down after it takes long
            // on a loaded machine, and a capture starved meanwhile says nothing of the show.
            {"quality_percent", record.lastQuality.value_or(chase.Quality(now))},
            {"lowest_quality_percent",
             record.lowestQuality ? QJsonValue(*record.lowestQuality) : QJsonValue()},
            {"locks", record.locks},
            {"losses", record.losses}};
}

void PrintJson(const QJsonObject& object)
{
    const QByteArray text = QJsonDocument(object).toJson(QJsonDocument::Indented);
    std::fwrite(text.constData(), 1, static_cast<size_t>(text.size()), stdout);
}

}  // namespace kv
