#include "show/FiringReport.h"

#include <algorithm>
#include <fstream>

namespace kv {

namespace {

const char* KindText(int32_t kind)
{
    switch (kind) {
    case kKindCenter: return "C";
    case kKindLeft: return "L";
    case kKindRight: return "R";
    case kKindRotateLeft: return "LT";
    case kKindRotateRight: return "RT";
    default: return "fire";
    }
}

const char* OutcomeText(TCueOutcome outcome)
{
    switch (outcome) {
    case TCueOutcome::Fired: return "fired";
    case TCueOutcome::ByHand: return "fired by hand";
    case TCueOutcome::Memory: return "memory";
    case TCueOutcome::Missed: return "missed";
    default: return "pending";
    }
}

const char* ReasonText(TMissReason reason)
{
    switch (reason) {
    case TMissReason::ModuleAbsent: return "module absent";
    case TMissReason::ConverterLost: return "converter lost";
    case TMissReason::NoEcho: return "no echo";
    case TMissReason::OutsideTables: return "outside the tables";
    case TMissReason::BeforeStart: return "before the start point";
    case TMissReason::StoppedBefore: return "stopped before";
    default: return "";
    }
}

const char* CheckText(TCheckResult check)
{
    switch (check) {
    case TCheckResult::NoAnswer: return "no answer";
    case TCheckResult::Unknown: return "unknown";
    case TCheckResult::Connected: return "connected";
    case TCheckResult::Open: return "open";
    case TCheckResult::Fault: return "fault";
    default: return "";
    }
}

}  // namespace

void TFiringReport::Begin(std::span<const TCue> cues, int32_t from, int lossCount)
{
    lossCountAtStart_ = lossCount;
    records_.assign(cues.size(), {});
    for (size_t i = 0; i < cues.size(); ++i) {
        records_[i].cue = cues[i];
        if (cues[i].time < from) {
            records_[i].outcome = TCueOutcome::Missed;
            records_[i].reason = TMissReason::BeforeStart;
        }
    }
}

TCueRecord* TFiringReport::At(int32_t cue)
{
    if (cue < 0 || static_cast<size_t>(cue) >= records_.size())
        return nullptr;
    return &records_[static_cast<size_t>(cue)];
}

void TFiringReport::Sent(int32_t cue, int result, int32_t sentAt, int lossCount)
{
    if (result != 0) {
        // A dead converter shows first as a failed echo, until the port notices the loss.
        const bool lost = result == -1 || lossCount != lossCountAtStart_;
        Missed(cue, lost ? TMissReason::ConverterLost : TMissReason::NoEcho);
        return;
    }
    if (TCueRecord* record = At(cue)) {
        record->outcome = TCueOutcome::Fired;
        record->reason = TMissReason::None;
        record->sentAt = sentAt;
    }
}

int32_t TFiringReport::FiredByHand(int module, int channel, bool modulePresent, int result,
                                   int32_t sentAt, int lossCount)
{
    const auto found = std::find_if(records_.begin(), records_.end(), [&](const TCueRecord& r) {
        return r.outcome == TCueOutcome::Pending && r.cue.kind == kKindFire &&
               r.cue.module == module && r.cue.channel == channel;
    });
    if (found == records_.end())
        return -1;
    const auto cue = static_cast<int32_t>(found - records_.begin());
    if (!modulePresent) {
        Missed(cue, TMissReason::ModuleAbsent);
        return cue;
    }
    Sent(cue, result, sentAt, lossCount);
    if (found->outcome == TCueOutcome::Fired)
        found->outcome = TCueOutcome::ByHand;
    return cue;
}

void TFiringReport::Recorded(int32_t cue)
{
    if (TCueRecord* record = At(cue))
        record->outcome = TCueOutcome::Memory;
}

void TFiringReport::Missed(int32_t cue, TMissReason reason)
{
    if (TCueRecord* record = At(cue)) {
        record->outcome = TCueOutcome::Missed;
        record->reason = reason;
    }
}

void TFiringReport::Checked(int32_t cue, TCheckResult result)
{
    if (TCueRecord* record = At(cue))
        record->check = result;
}

void TFiringReport::End()
{
    for (TCueRecord& record : records_)
        if (record.outcome == TCueOutcome::Pending) {
            record.outcome = TCueOutcome::Missed;
            record.reason = TMissReason::StoppedBefore;
        }
}

bool WriteFiringReport(const TFiringReport& report, const std::string& path)
{
    std::ofstream file(path, std::ios::binary | std::ios::trunc);
    if (!file)
        return false;
    file << "cue,time_ms,module,channel,kind,outcome,sent_ms,lateness_ms,check,reason\r\n";
    int number = 0;
    for (const TCueRecord& record : report.Records()) {
        const TScenarioCue& cue = record.cue;
        file << ++number << ',' << cue.time << ',' << cue.module << ',';
        if (cue.kind == kKindFire)
            file << cue.channel + 1;
        file << ',' << KindText(cue.kind) << ',' << OutcomeText(record.outcome) << ',';
        if (record.outcome == TCueOutcome::Fired || record.outcome == TCueOutcome::ByHand)
            file << record.sentAt << ',' << record.Lateness();
        else
            file << ',';
        file << ',' << CheckText(record.check) << ',' << ReasonText(record.reason) << "\r\n";
    }
    file.flush();
    return static_cast<bool>(file);
}

std::string FiringReportPathBeside(const std::string& logFile, int show)
{
    std::string stem = logFile;
    if (stem.ends_with(".log"))
        stem.resize(stem.size() - 4);
    return stem + "-show" + std::to_string(show) + ".csv";
}

}  // namespace kv
