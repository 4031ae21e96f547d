#pragma once
// The armed wait for the timecode: the show starts once the locked timecode reaches the
// start point. Polls the chase on its own timer while armed; the player's timer is the
// show's.

#include "show/TimecodeChase.h"

#include <cstdint>
#include <functional>
#include <memory>

namespace kv {

class TTimer;

class TTimecodeArm {
public:
    static constexpr uint32_t kPollMs = 5;

    // threshold: the show time (the timecode less its zero) at which to start, asked at
    // every poll; reached: starts the show, once per arming.
    TTimecodeArm(TTimecodeChase& chase, std::function<int32_t()> threshold,
                 std::function<void()> reached);
    ~TTimecodeArm();

    void Arm();
    void Disarm();
    bool Armed() const;

private:
    void Poll();

    TTimecodeChase& chase_;
    std::function<int32_t()> threshold_;
    std::function<void()> reached_;
    std::unique_ptr<TTimer> timer_;
};

}  // namespace kv
