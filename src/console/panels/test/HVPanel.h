#pragma once
// The high-voltage module's service panel: the charge energy setting, and per channel its
// measured resistance, the charge voltage derived from both, and a button that charges the
// module for that channel. Sixteen channels show at a time; larger modules are paged.

#include <QFrame>

#include <array>

class QLabel;
class QPushButton;
class QSpinBox;

namespace kv {

class THVPanel : public QFrame {
public:
    static constexpr int kRows = 16;

    explicit THVPanel(QWidget* parent);

    // The channel shown in row 0; the rows show channels first … first + 15.
    int FirstChannel() const { return page_ * kRows; }
    // Pages forward or back; false when there is no such page for this many channels.
    bool TurnPage(int step, int channelCount);
    // Recaptions the rows and the page buttons for this many channels.
    void ShowPage(int channelCount);

    QSpinBox* seHVE;
    std::array<QLabel*, kRows> numbers;
    std::array<QLabel*, kRows> resistances;
    std::array<QLabel*, kRows> voltages;
    std::array<QPushButton*, kRows> chargeBtns;
    QPushButton* prevPageBtn;
    QPushButton* nextPageBtn;

private:
    int page_ = 0;
};

}  // namespace kv
