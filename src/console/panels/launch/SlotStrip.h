#pragma once
// The eight project slots with the length of each one's scenario ("С:") and soundtrack ("Ф:").

#include <QFrame>

#include <array>
#include <cstdint>

class QLabel;

namespace kv {

class TShape;

class TSlotStrip : public QFrame {
public:
    static constexpr int kSlots = 8;

    explicit TSlotStrip(QWidget* parent);

    // Lengths in ms, 0 when the slot holds none; the current slot is lit.
    void ShowSlot(int slot, int32_t scenarioMs, int32_t soundtrackMs, bool current);

    std::array<TShape*, kSlots> leds;
    std::array<QLabel*, kSlots> scenarioLabels;
    std::array<QLabel*, kSlots> soundtrackLabels;
};

}  // namespace kv
