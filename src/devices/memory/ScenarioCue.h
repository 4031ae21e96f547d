#pragma once
// What device memory needs of a scenario cue. The scenario hands its cues over in this form,
// so the devices need not know the scenario list.

#include <concepts>
#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

namespace kv {

enum TCueKind : int32_t {
    kKindFire = 0,
    kKindCenter = 50,       // "C"
    kKindLeft = 51,         // "L"
    kKindRight = 52,        // "R"
    kKindRotateLeft = 53,   // "LT"
    kKindRotateRight = 54,  // "RT"
};

struct TScenarioCue {
    int32_t time = 0;  // ms
    int32_t module = 0;
    int32_t channel = 0;  // zero-based, firing cues only
    int32_t kind = kKindFire;
    int32_t parameter1 = 0;  // C, L, R: speed; LT, RT: duration in 0.1 s
    int32_t parameter2 = 0;  // LT, RT: speed
};

// The cues of a scenario in its order, whatever record type the scenario keeps them in.
class TCueView {
public:
    TCueView() = default;
    template <std::derived_from<TScenarioCue> T>
    TCueView(std::span<const T> cues) : items_(cues.data()), count_(cues.size()), at_(&At<T>)
    {
    }
    template <std::derived_from<TScenarioCue> T>
    TCueView(const std::vector<T>& cues) : TCueView(std::span<const T>(cues))
    {
    }

    size_t size() const { return count_; }
    const TScenarioCue& operator[](size_t index) const { return at_(items_, index); }

private:
    template <typename T>
    static const TScenarioCue& At(const void* items, size_t index)
    {
        return static_cast<const T*>(items)[index];
    }

    const void* items_ = nullptr;
    size_t count_ = 0;
    const TScenarioCue& (*at_)(const void*, size_t) = nullptr;
};

bool IsMotorKind(int32_t kind);
// A firing cue whose channel lies outside the tables is shown but never written or fired.
bool IsWritableFiringCue(const TScenarioCue& cue);
// The motor parameters by meaning, whatever the kind keeps where.
int32_t MotorSpeed(const TScenarioCue& cue);
int32_t MotorDuration(const TScenarioCue& cue);
// The motor command sub-code of a motor kind; 0 for any other kind.
uint8_t MotorSubCode(int32_t kind);
// The cue letter ("C", "L", "R", "LT", "RT") of a motor kind; empty for any other kind.
const char* MotorLetter(int32_t kind);

}  // namespace kv
