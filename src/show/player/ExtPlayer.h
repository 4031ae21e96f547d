#pragma once
// The show player the console creates: it keeps every channel fired since the last start,
// measures each of them once the bus is quiet, and starts on another station's start
// message while the console waits for one.

#include "devices/kinds/CommonControl.h"
#include "show/player/CommonPlayer.h"

#include <vector>

namespace kv {

struct TFiredChannel {
    int32_t module = 0;
    int32_t channel = 0;  // from 0
    int32_t cue = -1;     // in the scenario; -1 for a shot by hand
};

class TExtPlayer : public TCommonPlayer {
public:
    // Fires beyond this many between two starts are not kept for the check.
    static constexpr int kFiredCapacity = 32769;
    static constexpr uint32_t kCheckDelayMs = 200;

    TExtPlayer(TControls& controls, TPortProto& port);

    // Measures and classifies one fired channel, no sooner than 200 ms after the last shot.
    void IdleWork() override;
    void Start(int32_t from) override;
    void HandleMessage(const TFrameRecord& message) override;

    // Joins the soundtrack that plays already, at its position.
    void StartFromSoundtrack();
    bool HasUnchecked() const { return checkPosition_ < FiredCount(); }
    void CheckNext() { IdleWork(); }

    int FiredCount() const { return static_cast<int>(fired_.size()); }
    int CheckPosition() const { return checkPosition_; }
    // Forgets the fired channels with their pending checks: shots of another bus, whose
    // igniters are not on this one.
    void ClearFired();

    // Set by the console while its external-start wait runs.
    bool armed = false;
    TConnectThresholds thresholds;
    std::function<void(int module, int channel)> OnChecked;
    std::function<void(int module, int channel)> OnFired;

protected:
    void Halt(bool stopSoundtrack, bool broadcastStop) override;
    void Fired(int module, int channel, bool manual, bool noSend, int result) override;

private:
    void CheckChannel(const TFiredChannel& entry);
    void ExternalStart(const TFrameRecord& message, int32_t from);

    std::vector<TFiredChannel> fired_;
    int32_t checkPosition_ = 0;
};

}  // namespace kv
