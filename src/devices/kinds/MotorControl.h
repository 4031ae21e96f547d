#pragma once
// A motor module: turns to the left, right or centre, or rotates for a time.

#include "devices/kinds/AutoControl.h"

namespace kv {

// Speed and duration travel as bytes; out-of-range values are held at the byte's ends.
uint8_t MotorByte(int32_t value);

class TMotorControl : public TAutoControl {
public:
    TMotorControl(TPortProto& port, int32_t address);

    void Poll() override;

    // duration in 100 ms units, speed 0-255 (255 = 100 %).
    TResult RotateLeft(int duration, int speed);
    TResult RotateRight(int duration, int speed);
    TResult TurnCenter(int speed);
    TResult TurnLeft(int speed);
    TResult TurnRight(int speed);

private:
    TResult Move(uint8_t subCode, int speed, int duration);
};

}  // namespace kv
