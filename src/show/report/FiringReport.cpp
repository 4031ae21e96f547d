#include "show/report/FiringReport.h"

#include <algorithm>

namespace kv {

void TFiringReport::Begin(std::span<const TCue> cues, int32_t from, int lossCount)
{
    lossCountAtStart_ = lossCount;
    records_.assign(cues.size(), {});
    for (size_t i = 0; i < cues.size(); ++i) {
        records_[i].cue = cues[i];
        records_[i].effect = cues[i].effect;
        records_[i].position = cues[i].position;
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

TCueRecord* TFiringReport::Outcome(int32_t cue)
{
    TCueRecord* record = At(cue);
    return record && !record->byHand ? record : nullptr;
}

bool TFiringReport::TakenByHand(int32_t cue) const
{
    return cue >= 0 && static_cast<size_t>(cue) < records_.size() &&
           records_[static_cast<size_t>(cue)].byHand;
}

void TFiringReport::Sent(int32_t cue, int result, int32_t sentAt, int lossCount)
{
    if (result != 0) {
        // A dead converter shows first as a failed echo, until the port notices the loss.
        const bool lost = result == -1 || lossCount != lossCountAtStart_;
        Missed(cue, lost ? TMissReason::ConverterLost : TMissReason::NoEcho);
        return;
    }
    if (TCueRecord* record = Outcome(cue)) {
        record->outcome = TCueOutcome::Fired;
        record->reason = TMissReason::None;
        record->sentAt = sentAt;
    }
}

int32_t TFiringReport::PendingShot(int module, int channel) const
{
    const auto found = std::find_if(records_.begin(), records_.end(), [&](const TCueRecord& r) {
        return r.outcome == TCueOutcome::Pending && r.cue.kind == kKindFire &&
               r.cue.module == module && r.cue.channel == channel;
    });
    return found == records_.end() ? -1 : static_cast<int32_t>(found - records_.begin());
}

int32_t TFiringReport::FiredByHand(int module, int channel, bool modulePresent, int result,
                                   int32_t sentAt, int lossCount)
{
    const int32_t cue = PendingShot(module, channel);
    if (cue < 0)
        return -1;
    TCueRecord* found = At(cue);
    if (!modulePresent) {
        Missed(cue, TMissReason::ModuleAbsent);
    } else {
        Sent(cue, result, sentAt, lossCount);
        if (found->outcome == TCueOutcome::Fired)
            found->outcome = TCueOutcome::ByHand;
    }
    found->byHand = true;
    return cue;
}

void TFiringReport::KeepShotsByHand(const std::vector<TCueRecord>& stopped, int32_t fromCue)
{
    const size_t count = std::min(stopped.size(), records_.size());
    for (size_t cue = static_cast<size_t>(std::max(fromCue, 0)); cue < count; ++cue)
        if (stopped[cue].byHand)
            records_[cue] = stopped[cue];
}

void TFiringReport::FiredElsewhere(int32_t cue)
{
    if (TCueRecord* record = At(cue)) {
        record->outcome = TCueOutcome::Elsewhere;
        record->reason = TMissReason::None;
        record->byHand = true;
    }
}

void TFiringReport::Recorded(int32_t cue)
{
    if (TCueRecord* record = Outcome(cue))
        record->outcome = TCueOutcome::Memory;
}

void TFiringReport::Missed(int32_t cue, TMissReason reason)
{
    if (TCueRecord* record = Outcome(cue)) {
        record->outcome = TCueOutcome::Missed;
        record->reason = reason;
    }
}

void TFiringReport::Checked(int32_t cue, TCheckResult result)
{
    if (TCueRecord* record = At(cue))
        record->check = result;
}

bool TFiringReport::FiredElsewhereOn(std::span<const TCue> cues, int module, int channel)
{
    for (size_t i = 0; i < cues.size() && i < records_.size(); ++i)
        if (cues[i].IsFiring() && cues[i].module == module && cues[i].channel == channel &&
            records_[i].reason == TMissReason::StoppedBefore) {
            FiredElsewhere(static_cast<int32_t>(i));
            return true;
        }
    return false;
}

void TFiringReport::End()
{
    for (TCueRecord& record : records_)
        if (record.outcome == TCueOutcome::Pending) {
            record.outcome = TCueOutcome::Missed;
            record.reason = TMissReason::StoppedBefore;
        }
}

}  // namespace kv
