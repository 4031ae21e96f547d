#pragma once
// The operator's shots by key while a show runs, beside the show's own. A high-voltage module
// holds one charge: a key's shot on it is charged only clear of the show's shots of the
// module, and, while the show fires the module too, leaves it charged for the show's next
// shot. A shot on a locked position's channel is refused, also once its charge came up.

#include "show/player/shots/HandShots.h"

namespace kv {

class TCommonPlayer;
class THVControl;

class TKeyShots {
public:
    explicit TKeyShots(TCommonPlayer& show);
    TKeyShots(const TKeyShots&) = delete;
    TKeyShots& operator=(const TKeyShots&) = delete;

    // done(false) at once while the show does not fire, and for a locked channel.
    void Add(int module, int channel, THandShots::TDone done);
    void Run() { shots_.Run(); }
    void Drop() { shots_.Drop(); }
    bool Waiting() const { return shots_.Waiting(); }
    bool Charged(int module) const { return shots_.Charged(module); }
    // The charge a key's shot on the module leaves for the show's next shot of it (the show's
    // cue the key takes is the key's); 0 unless the show fires the module too.
    int ChargeToFollow(const THVControl& module, int channel);

private:
    // Both the show and the operator fire the module.
    bool ShowKeepsCharges() const;
    // A show shot of the module leaves before a shot by key charged now would fire.
    bool ShowShotsNear(int module) const;
    THandShots::TCharge Charge(int module, int channel);
    bool Fire(int module, int channel);

    TCommonPlayer& show_;
    THandShots shots_;
};

}  // namespace kv
