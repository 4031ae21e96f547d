#pragma once
// Direct control: the station sends each cue of the show at its moment. A firing module's shot
// is handed to the port ahead of its tick, to leave at the very millisecond the clock reaches
// it; the others go on the cue timer, between two ticks, or on the tick.

#include "show/player/run/ShowRun.h"

#include <functional>
#include <memory>
#include <vector>

namespace kv {

class TCommonPlayer;
class TTimer;

class TDirectRun final : public TShowRun {
public:
    // Shots due before the tick after next (a tick may come a few milliseconds late) go to
    // the port at once, each to leave at its own moment.
    static constexpr int32_t kLookAheadMs = kShowTickMs + 10;

    // The platform must be installed: the cue timer comes from it.
    explicit TDirectRun(TCommonPlayer& show);
    ~TDirectRun() override;
    TDirectRun(const TDirectRun&) = delete;
    TDirectRun& operator=(const TDirectRun&) = delete;

    void Cut() override;
    void Begin(uint32_t) override {}
    void Launch(uint32_t now) override;
    void Run(uint32_t now) override;
    void RunEnding(uint32_t) override {}
    int32_t Halt(bool wasRunning) override;
    void Jumped(int32_t to, uint32_t now) override;
    void BeforeOffsetBack(int32_t) override {}
    void Replan() override;
    void ConverterBack() override;

    // A frame waiting at the port carries the high-voltage module's next charge.
    bool CarriesCharge(int module) const;
    // A frame waiting at the port fires the channel or carries the module's next charge.
    bool Holds(int module, int channel) const;
    // The operator's shot goes before the show's frames waiting at the port: they are taken
    // back and handed over again after it.
    void ShotBefore(const std::function<void()>& fire);

private:
    bool CueDue(int32_t index) const;
    // Later than the show's latest at now; a cue the start sends late counts from it.
    bool TooLate(int32_t index, uint32_t now) const;
    // The shots due by the clock read at now, and those handed over ahead; arms the cue timer.
    void FireDueCues(uint32_t now);
    // Hands over the shots due before the next tick; onTick: fires the cues due now itself.
    void HandOverDue(uint32_t now, bool onTick);
    // The cue timer fires the next cue at its moment, between two ticks: the cues that are
    // not handed over ahead, and every cue while the clock follows or awaits the music or
    // follows the timecode.
    bool TimesCues() const;
    void ArmCueTimer();
    // The cue timer: the cues due by a fresh reading of the clock, as on a tick.
    void CueMoment();
    void HandOver(int32_t index, uint32_t dueTick);
    // Records the shots the port sent since the last look.
    void CollectShots();
    void TakeBackShots();

    struct THandedOver {
        int32_t cue;
        int charged;  // the high-voltage module whose charge entry it carries; -1: none
        uint64_t ticket;
        uint32_t dueTick;
    };

    TCommonPlayer& show_;
    std::vector<THandedOver> handedOver_;  // in the order handed over
    std::unique_ptr<TTimer> cueTimer_;     // one-shot
};

}  // namespace kv
