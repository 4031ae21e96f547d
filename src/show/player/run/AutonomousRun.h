#pragma once
// Autonomous control: the modules fire the show from their own memory as their clocks reach
// each cue, and the station tells them the time, never ahead of the show's. The station only
// records each shot, once the modules' clocks surely reached it. The modules' clocks outlive
// a show: a restart or a stop heard on the bus stands them whichever way the show ran.

#include "show/player/run/ShowRun.h"
#include "show/player/bus/TimeBroadcast.h"
#include "show/report/FiringReport.h"

#include <climits>

namespace kv {

class TCommonPlayer;
struct TCue;

class TAutonomousRun final : public TShowRun {
public:
    explicit TAutonomousRun(TCommonPlayer& show) : show_(show) {}

    void Cut() override {}
    void Begin(uint32_t now) override;
    void Launch(uint32_t) override {}
    void Run(uint32_t now) override;
    void RunEnding(uint32_t now) override;
    int32_t Halt(bool wasRunning) override;
    void Jumped(int32_t to, uint32_t now) override;
    void BeforeOffsetBack(int32_t change) override;
    void Replan() override;
    void ConverterBack() override {}

    bool ClocksRunning() const { return broadcast_.Running(); }
    // The modules' clocks stood at now, by the station's own stop form; inShow: this way's
    // show runs, and records what they fired up to here.
    void ClocksStopped(uint32_t now, bool inShow);
    // A start at time went out lately: heard from the bus, it is the station's own.
    bool SentLately(int32_t time, uint32_t now) const { return broadcast_.SentLately(time, now); }

private:
    bool TellsTheTime() const;
    void TellTheTime(uint32_t now, int32_t showTime);
    // How long the modules may still play their memory, -1 when they do not play it.
    int32_t MemoryLeftMs(uint32_t now) const;
    // Records the cues the modules' clocks have reached. surely: how far the modules surely
    // played (recorded as fired from memory); mayHave: how far they may have (handled, never
    // fired again, reported missed for that reason).
    void PassMemoryCues(int32_t surely, int32_t mayHave = INT32_MIN,
                        TMissReason uncertain = TMissReason::StoppedBefore);
    // Their clocks stopped or set forward at now: the cues they may have reached since are
    // handled, those in doubt missed for that reason.
    void PassMemoryCuesAtStop(uint32_t now, TMissReason uncertain);
    // Why a memory cue the modules' start passed over was not fired.
    TMissReason PassedByStart() const;
    // Where the modules' clocks may start so as to fire none of the cues before index.
    int32_t TenthAfterCuesBefore(int32_t index) const;
    // The time the cue's module keeps it at in memory; one not registered may keep the coarsest.
    int32_t MemoryTime(const TCue& cue) const;

    TCommonPlayer& show_;
    TTimeBroadcast broadcast_{kShowTickMs};
    // Past the bus's 16-bit time the broadcast would wrap to an early time: it ends, once.
    bool beyondBusTime_ = false;
};

}  // namespace kv
