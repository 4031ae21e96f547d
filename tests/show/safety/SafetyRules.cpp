#include "show/safety/SafetyRules.h"

#include <algorithm>
#include <climits>
#include <sstream>

namespace kvtest {
namespace {

// A fire frame on the line when the stop came still ends after it.
constexpr int32_t kFrameOnLineMs = 3;
// How late the modules may hear the show's time.
constexpr int32_t kTimeReachMs = 25;
// A high-voltage shot by key waits for its charge.
constexpr int32_t kHandShotChargeMs = 2600;

int32_t Since(uint32_t from, uint32_t tick) { return static_cast<int32_t>(tick - from); }

std::string Shot(const kv::TShotEntry& shot)
{
    std::ostringstream text;
    text << "module " << shot.address << " channel " << shot.channel + 1 << " at tick +"
         << shot.Tick();
    return text.str();
}

class TRules {
public:
    TRules(const TSafetyRecord& record, const std::vector<kv::TShotEntry>& shots)
        : record_(record), shots_(shots)
    {
    }
    std::string Check()
    {
        for (const std::string& fault : record_.clockFaults)
            Fault(fault);
        for (const uint32_t tick : record_.standbyStarts)
            Fault("the standby went on with a show that never fell silent, at tick +" + std::to_string(tick));
        if (record_.realFramesInRehearsal > 0)
            Fault(std::to_string(record_.realFramesInRehearsal) + " frames reached the real bus in a rehearsal");
        for (const kv::TShotEntry& shot : shots_)
            CheckShot(shot);
        CheckRepeats();
        for (const TShowWindow& window : record_.windows)
            CheckReport(window);
        return faults_.str();
    }

private:
    void Fault(const std::string& text)
    {
        if (++faultCount_ <= 8)
            faults_ << text << "\n";
    }
    const TShowWindow* WindowOf(uint32_t tick) const
    {
        const TShowWindow* found = nullptr;
        for (const TShowWindow& window : record_.windows)
            if (Since(window.start, tick) >= 0)
                found = &window;
        return found;
    }
    bool InRehearsal(uint32_t tick) const
    {
        return std::any_of(record_.rehearsals.begin(), record_.rehearsals.end(), [tick](const auto& span) {
            return Since(span.first, tick) >= 0 && Since(tick, span.second) >= 0;
        });
    }
    bool AskedByHand(const kv::TShotEntry& shot, uint32_t from) const
    {
        return std::any_of(record_.handShots.begin(), record_.handShots.end(), [&](const auto& asked) {
            return asked.second == TChannel{shot.address, shot.channel} &&
                   Since(from, asked.first) > 0 && Since(asked.first, shot.Tick()) >= 0;
        });
    }
    void CheckShot(const kv::TShotEntry& shot)
    {
        const TShowWindow* window = WindowOf(shot.Tick());
        if (InRehearsal(shot.Tick()))
            Fault("fired on the real bus in a rehearsal: " + Shot(shot));
        if (!window) {
            Fault("fired before any start: " + Shot(shot));
            return;
        }
        if (!window->open && Since(window->end, shot.Tick()) > kFrameOnLineMs) {
            Fault("fired after a stop (at tick +" + std::to_string(window->end) + "): " + Shot(shot));
            return;
        }
        if (const auto charge = record_.charges.find({shot.address, shot.channel});
            charge != record_.charges.end() && shot.chargeVolts != charge->second)
            Fault("fired with " + std::to_string(shot.chargeVolts) + " V, its charge " +
                  std::to_string(charge->second) + " V: " + Shot(shot));
        const auto cue = record_.cues.find({shot.address, shot.channel});
        if (cue == record_.cues.end() || cue->second.slot != window->slot ||
            AskedByHand(shot, window->start - 1))
            return;
        const int32_t reached = window->ReachedBy(shot.Tick());
        if (reached < cue->second.time)
            Fault("fired before its moment " + std::to_string(cue->second.time) +
                  " ms, the show clock at " + std::to_string(reached) + ": " + Shot(shot));
    }
    // A start point before the cue, chosen between its two shots, lets it fire again.
    bool StartPointBefore(const TSlotCue& cue, uint32_t first, uint32_t second) const
    {
        return std::any_of(record_.startPoints.begin(), record_.startPoints.end(), [&](const TStartPoint& point) {
            if (Since(first, point.tick) < 0 || Since(point.tick, second) < 0)
                return false;
            if (point.row < 0 || point.slot != cue.slot)
                return true;
            return point.time < cue.time || (point.row <= cue.index && !point.highlighted);
        });
    }
    void CheckRepeats()
    {
        std::map<TChannel, std::vector<const kv::TShotEntry*>> byChannel;
        for (const kv::TShotEntry& shot : shots_)
            byChannel[{shot.address, shot.channel}].push_back(&shot);
        for (const auto& [channel, shots] : byChannel) {
            const auto cue = record_.cues.find(channel);
            for (size_t i = 1; i < shots.size(); ++i) {
                const uint32_t first = shots[i - 1]->Tick();
                if (AskedByHand(*shots[i], first - kHandShotChargeMs))
                    continue;
                if (cue != record_.cues.end() && StartPointBefore(cue->second, first, shots[i]->Tick()))
                    continue;
                Fault("fired again (first at tick +" + std::to_string(first) + "): " + Shot(*shots[i]));
            }
        }
    }
    // From from on, to the window's end; byHand: also the shots the operator's keys asked for.
    bool FiredWithin(const TShowWindow& window, uint32_t from, TChannel channel, bool byHand) const
    {
        return std::any_of(shots_.begin(), shots_.end(), [&](const kv::TShotEntry& shot) {
            return TChannel{shot.address, shot.channel} == channel && Since(from, shot.Tick()) >= 0 &&
                   (window.open || Since(window.end, shot.Tick()) <= kFrameOnLineMs) &&
                   (byHand || !AskedByHand(shot, window.start - 1));
        });
    }
    bool MayHaveFired(const TShowWindow& window, const kv::TCueRecord& record, TChannel channel) const
    {
        return std::all_of(shots_.begin(), shots_.end(), [&](const kv::TShotEntry& shot) {
            if (TChannel{shot.address, shot.channel} != channel || Since(window.start, shot.Tick()) < 0 ||
                (!window.open && Since(window.end, shot.Tick()) > kFrameOnLineMs))
                return true;
            // The frame that stopped them was on its way as the module fired, or just after.
            const bool beforeStop = std::any_of(record_.clockStops.begin(), record_.clockStops.end(), [&](uint32_t stop) {
                return Since(shot.Tick(), stop) <= kTimeReachMs && Since(stop, shot.Tick()) <= kFrameOnLineMs;
            });
            return shot.source == kv::TShotSource::Memory &&
                   (record.reason == kv::TMissReason::TimecodeJump ||
                    (record.reason == kv::TMissReason::StoppedBefore && beforeStop));
        });
    }
    void CheckReport(const TShowWindow& window)
    {
        const std::string show = "show from tick +" + std::to_string(window.start) + ": ";
        const auto& times = record_.slotTimes[static_cast<size_t>(window.slot)];
        if (window.report.size() != times.size()) {
            Fault(show + "the report holds " + std::to_string(window.report.size()) + " of " +
                  std::to_string(times.size()) + " cues");
            return;
        }
        for (size_t index = 0; index < window.report.size(); ++index) {
            const kv::TCueRecord& record = window.report[index];
            const std::string cue = show + "cue " + std::to_string(index) + " (module " +
                                    std::to_string(record.cue.module) + " channel " +
                                    std::to_string(record.cue.channel + 1) + ") ";
            if (record.outcome == kv::TCueOutcome::Pending) {
                Fault(cue + "has no outcome");
                continue;
            }
            // A rehearsal's shots went to the model, not to the field recorded here.
            if (record.cue.kind != kv::kKindFire || window.rehearsal)
                continue;
            const bool reportedFired = record.outcome != kv::TCueOutcome::Missed;
            const TChannel channel{record.cue.module, record.cue.channel};
            // A shot by key in the show a resume went on from stays in the report.
            const uint32_t from = record.outcome == kv::TCueOutcome::ByHand ? record_.windows.front().start
                                                                            : window.start;
            if (reportedFired && !FiredWithin(window, from, channel, true))
                Fault(cue + "reported fired, no shot on the field");
            // A key may fire the channel of a cue the show passed over. The modules' clocks are
            // known within a frame's way to them: a memory shot just before a stop or a timecode
            // jump may be reported missed, never the other way round.
            if (!reportedFired && FiredWithin(window, window.start, channel, false) &&
                !MayHaveFired(window, record, channel))
                Fault(cue + "fired on the field, reported missed (reason " +
                      std::to_string(static_cast<int>(record.reason)) + ")");
        }
    }

    const TSafetyRecord& record_;
    const std::vector<kv::TShotEntry>& shots_;
    std::ostringstream faults_;
    int faultCount_ = 0;
};

}  // namespace

int32_t TClockPiece::At(uint32_t now) const
{
    const int64_t scaled = int64_t{Since(tick, now)} * tempo;
    const int64_t elapsed = scaled >= 0 ? scaled / 1000 : -((-scaled + 999) / 1000);
    return static_cast<int32_t>(elapsed + base + offset);
}

int32_t TShowWindow::ReachedBy(uint32_t now) const
{
    int32_t reached = INT32_MIN;
    for (size_t i = 0; i < clock.size() && Since(clock[i].tick, now) >= 0; ++i) {
        const bool last = i + 1 == clock.size() || Since(clock[i + 1].tick, now) < 0;
        const uint32_t end = last ? now : clock[i + 1].tick;
        const int32_t played = desk ? desk(end) : 0;
        if (!desk)
            reached = std::max(reached, clock[i].At(end));
        else if (played != INT32_MIN)
            reached = std::max(reached, played + clock[i].offset);
    }
    return reached;
}

std::string CheckSafetyRules(const TSafetyRecord& record, const std::vector<kv::TShotEntry>& shots)
{
    return TRules(record, shots).Check();
}

}  // namespace kvtest
