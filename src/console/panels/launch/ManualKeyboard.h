#pragma once
// The forty manual firing keys on screen, shown instead of the cue list in the manual firing
// modes: each cell carries its key's letter and the channel it fires.

#include <QFrame>

#include <array>
#include <cstdint>

class QLabel;

namespace kv {

class TManualKeyboard : public QFrame {
public:
    static constexpr int kKeys = 40;

    explicit TManualKeyboard(QWidget* parent);

    // A channel of the module on show, coloured by its state (untested, connected, open,
    // fault); the letter darkens once the channel has fired.
    void ShowChannel(int key, int channel, uint8_t state, bool fired);
    // A key with no channel behind it; dimmed: as a fired key beyond the module's channels.
    void ShowBlank(int key, bool dimmed = false);
    // Module and 1-based page; without a module the captions are hidden.
    void ShowModule(int address, int page);
    void HideModule();

    std::array<QFrame*, kKeys> cells;
    std::array<QLabel*, kKeys> channels;
    std::array<QLabel*, kKeys> letters;
    QLabel* moduleCaption;
    QLabel* module;
    QLabel* pageCaption;
    QLabel* page;
};

}  // namespace kv
