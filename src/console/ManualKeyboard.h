#pragma once
// The forty manual firing keys on screen, shown instead of the cue list in the manual firing
// modes: each cell carries its key's letter and the channel it fires.

#include <QFrame>

#include <array>

class QLabel;

namespace kv {

class TManualKeyboard : public QFrame {
public:
    static constexpr int kKeys = 40;

    explicit TManualKeyboard(QWidget* parent);

    std::array<QFrame*, kKeys> cells;
    std::array<QLabel*, kKeys> channels;
    std::array<QLabel*, kKeys> letters;
    QLabel* moduleCaption;
    QLabel* module;
    QLabel* pageCaption;
    QLabel* page;
};

}  // namespace kv
