#pragma once
// The operator's shots by key, in the order of the keys. A high-voltage module fires only
// once its charge time has passed; the shots behind it wait their turn, so that the order and
// the pauses stay as the keys gave them while the window goes on taking keys, the stop first.

#include <cstdint>
#include <deque>
#include <functional>

namespace kv {

class THandShots {
public:
    // fired false: a stop came first, or the fire step refused the shot.
    using TDone = std::function<void(bool fired)>;
    // None: the shot needs no charge; Later: not yet, asked again at the next Run.
    enum class TCharge { None, Sent, Later };
    // charge: sends the charge a shot needs before it fires.
    // fire: false when the shot may not fire after all.
    THandShots(std::function<TCharge(int module, int channel)> charge,
               std::function<bool(int module, int channel)> fire, uint32_t chargeMs);

    // Fires at once what needs no wait.
    void Add(int module, int channel, TDone done);
    // Fires every shot whose turn has come.
    void Run();
    // Every shot still waiting is told that it did not fire.
    void Drop();
    bool Waiting() const { return !shots_.empty(); }
    // A shot of the module is charged and waits to fire.
    bool Charged(int module) const
    {
        return !shots_.empty() && shots_.front().charged && shots_.front().module == module;
    }

private:
    struct TShot {
        int module = 0;
        int channel = 0;
        TDone done;
        bool charged = false;
        uint32_t chargedAt = 0;
    };

    std::function<TCharge(int, int)> charge_;
    std::function<bool(int, int)> fire_;
    uint32_t chargeMs_;
    std::deque<TShot> shots_;
    bool running_ = false;
};

}  // namespace kv
