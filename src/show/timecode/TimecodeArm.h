#pragma once
// The armed wait for the timecode: the show starts once the locked timecode reaches the
// start point. Polls the chase on its own timer while armed; the player's timer is the
// show's.

#include "show/timecode/TimecodeChase.h"

#include <cstdint>
#include <functional>
#include <memory>

namespace kv {

class TTimer;

class TTimecodeArm {
public:
    static constexpr uint32_t kPollMs = 5;

    // threshold: the show time (the timecode less its zero) at which to start, asked at
    // every poll; reached: starts the show, once per arming. A timecode already past the
    // threshold when armed (it got there sooner than the time since) starts it only when the
    // settings let a show join; else the wait ends, logged, and refused is told.
    TTimecodeArm(TTimecodeChase& chase, std::function<int32_t()> threshold,
                 std::function<void()> reached, std::function<void()> refused = {});
    ~TTimecodeArm();

    void Arm();
    void Disarm();
    bool Armed() const;
    int32_t Threshold() const { return threshold_(); }

private:
    void Poll();

    TTimecodeChase& chase_;
    std::function<int32_t()> threshold_;
    std::function<void()> reached_;
    std::function<void()> refused_;
    std::unique_ptr<TTimer> timer_;
    uint32_t armTick_ = 0;
};

}  // namespace kv
