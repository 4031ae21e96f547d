#include "show/report/FiringSummary.h"

#include "support/lang/AddedMessages.h"

#include <algorithm>
#include <numeric>

namespace kv {

namespace {

// Nearest rank of sorted values: the smallest value at or above the share.
int32_t Percentile(const std::vector<int32_t>& sorted, int percent)
{
    if (sorted.empty())
        return 0;
    const size_t rank = (sorted.size() * static_cast<size_t>(percent) + 99) / 100;
    return sorted[std::max<size_t>(rank, 1) - 1];
}

std::string Count(const TMessage& message, int count)
{
    return Localize(message) + " " + std::to_string(count);
}

size_t CheckIndex(TCheckResult check)
{
    return static_cast<size_t>(static_cast<int>(check) - static_cast<int>(TCheckResult::Unchecked));
}

std::string SubLine(const std::string& what, int count)
{
    return "    " + what + ": " + std::to_string(count);
}

std::string CheckResultText(TCheckResult check)
{
    switch (check) {
    case TCheckResult::NoAnswer: return Localize(kMsgNoAnswer);
    case TCheckResult::Unknown: return Localize(49, "неизвестно");
    case TCheckResult::Connected: return Localize(50, "подключен");
    case TCheckResult::Open: return Localize(51, "неподключен");
    case TCheckResult::Fault: return Localize(52, "ошибка");
    default: return Localize(kMsgUntested);
    }
}

}  // namespace

TFiringSummary SummarizeFiring(std::span<const TCueRecord> records)
{
    TFiringSummary summary;
    std::vector<int32_t> lateness;
    for (const TCueRecord& record : records) {
        ++summary.cues;
        switch (record.outcome) {
        case TCueOutcome::Fired:
            ++summary.fired;
            ++summary.checkedAs[CheckIndex(record.check)];
            lateness.push_back(record.Lateness());
            if (record.Lateness() < 0)
                ++summary.early;
            break;
        case TCueOutcome::ByHand:
            ++summary.byHand;
            ++summary.checkedAs[CheckIndex(record.check)];
            break;
        case TCueOutcome::Memory:
            ++summary.memory;
            // The checks are the only word on whether a module fired its memory.
            if (!IsMotorKind(record.cue.kind))
                ++summary.checkedAs[CheckIndex(record.check)];
            break;
        case TCueOutcome::Elsewhere:
            ++summary.elsewhere;
            break;
        case TCueOutcome::Missed:
            ++summary.missed;
            ++summary.missedBy[static_cast<size_t>(record.reason)];
            break;
        default:
            break;
        }
    }
    std::sort(lateness.begin(), lateness.end());
    summary.latenessP50 = Percentile(lateness, 50);
    summary.latenessP99 = Percentile(lateness, 99);
    summary.latenessMax = lateness.empty() ? 0 : lateness.back();
    return summary;
}

int TFiringSummary::CheckedAs(TCheckResult check) const
{
    return checkedAs[CheckIndex(check)];
}

std::string MissReasonText(TMissReason reason)
{
    switch (reason) {
    case TMissReason::ModuleAbsent: return Localize(kMsgModuleAbsent);
    case TMissReason::ConverterLost: return Localize(kMsgConverterLost);
    case TMissReason::NoEcho: return Localize(kMsgNoEcho);
    case TMissReason::OutsideTables: return Localize(kMsgOutsideTables);
    case TMissReason::BeforeStart: return Localize(kMsgBeforeStartPoint);
    case TMissReason::StoppedBefore: return Localize(kMsgStoppedBefore);
    case TMissReason::TimecodeJump: return Localize(kMsgTimecodeJump);
    case TMissReason::PositionLockedOut: return Localize(kMsgPositionLockedOut);
    case TMissReason::TooLate: return Localize(kMsgTooLate);
    default: return {};
    }
}

std::vector<std::string> FiringSummaryLines(const TFiringSummary& summary)
{
    std::vector<std::string> lines{
        Count(kMsgReportCues, summary.cues),
        Count(kMsgReportFired, summary.fired),
        Count(kMsgReportByHand, summary.byHand),
        Count(kMsgReportMemory, summary.memory),
    };
    // Only a station of a standby pair has any.
    if (summary.elsewhere > 0)
        lines.push_back(Count(kMsgReportElsewhere, summary.elsewhere));
    lines.insert(lines.end(),
                 {Localize(kMsgReportLateness) + " " + std::to_string(summary.latenessP50) +
                      " / " + std::to_string(summary.latenessP99) + " / " +
                      std::to_string(summary.latenessMax),
                  Count(kMsgReportEarly, summary.early), Count(kMsgReportMissed, summary.missed)});
    for (size_t reason = 1; reason < kMissReasonCount; ++reason)
        if (summary.missedBy[reason] > 0)
            lines.push_back(
                SubLine(MissReasonText(static_cast<TMissReason>(reason)), summary.missedBy[reason]));
    if (std::accumulate(summary.checkedAs.begin(), summary.checkedAs.end(), 0) == 0)
        return lines;
    lines.push_back(Localize(kMsgReportChecks));
    for (const TCheckResult check : {TCheckResult::Open, TCheckResult::Connected,
                                     TCheckResult::Fault, TCheckResult::Unknown,
                                     TCheckResult::NoAnswer, TCheckResult::Unchecked})
        if (summary.CheckedAs(check) > 0)
            lines.push_back(SubLine(CheckResultText(check), summary.CheckedAs(check)));
    return lines;
}

}  // namespace kv
