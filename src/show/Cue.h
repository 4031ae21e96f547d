#pragma once
// One scenario line: fire one channel of one module, or give one motor command, at a moment.

#include <cstdint>
#include <string>

namespace kv {

// Cue kinds, as the player, the memory transfer and the stored module records know them.
constexpr int32_t kCueFire = 0;
constexpr int32_t kCueMotorCenter = 50;  // "C"
constexpr int32_t kCueMotorLeft = 51;    // "L"
constexpr int32_t kCueMotorRight = 52;   // "R"
constexpr int32_t kCueRotateLeft = 53;   // "LT"
constexpr int32_t kCueRotateRight = 54;  // "RT"

// Sizes of the device tables a cue may index.
constexpr int32_t kMaxModuleAddress = 255;
constexpr int32_t kChannelTableSize = 512;

struct TCue {
    std::string timeText;  // as written, at most 32 characters
    int32_t time = 0;      // ms on the scenario clock
    int32_t module = 0;    // bus address as written, not range-checked
    int32_t channel = 0;   // zero-based; firing cues only
    int32_t kind = kCueFire;
    // C, L, R: speed 0-255 and 0. LT, RT: rotation time in 0.1 s and speed.
    int32_t parameter1 = 0;
    int32_t parameter2 = 0;
    std::string note;  // at most 255 characters

    bool IsFiring() const { return kind == kCueFire; }
    bool IsMotor() const { return kind >= kCueMotorCenter && kind <= kCueRotateRight; }
    // A cue outside the bus addresses or the channel tables stays in the list to be shown,
    // but must never be marked, written into a module or fired.
    bool IsExecutable() const;
};

}  // namespace kv
