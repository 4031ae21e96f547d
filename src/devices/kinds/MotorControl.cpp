#include "devices/kinds/MotorControl.h"

#include "link/PortProto.h"

#include <algorithm>

namespace kv {

uint8_t MotorByte(int32_t value)
{
    return static_cast<uint8_t>(std::clamp(value, 0, 255));
}

TMotorControl::TMotorControl(TPortProto& port, int32_t address) : TAutoControl(port, address)
{
    deviceType = 4;
}

void TMotorControl::Poll()
{
    TAutoControl::Poll();
    // The motor module's only reading is its supply, reported as the first status value.
    supplyVoltage = outputVoltage;
}

TResult TMotorControl::RotateLeft(int duration, int speed)
{
    return Move(kMotorRotateLeft, speed, duration);
}

TResult TMotorControl::RotateRight(int duration, int speed)
{
    return Move(kMotorRotateRight, speed, duration);
}

TResult TMotorControl::TurnCenter(int speed)
{
    return Move(kMotorCenter, speed, 0);
}

TResult TMotorControl::TurnLeft(int speed)
{
    return Move(kMotorLeft, speed, 0);
}

TResult TMotorControl::TurnRight(int speed)
{
    return Move(kMotorRight, speed, 0);
}

TResult TMotorControl::Move(uint8_t subCode, int speed, int duration)
{
    // Held at the byte's ends as in the module's memory: a wrapped byte would turn the
    // launcher by another angle.
    return port_.MoveMotor(address, converterIndex, attemptMode, subCode, MotorByte(speed),
                           MotorByte(duration));
}

}  // namespace kv
