#pragma once
// The motor module's service panel: speed and rotation time sliders with their readings, and
// the five moves.

#include <QFrame>

class QLabel;
class QPushButton;
class QSlider;

namespace kv {

class TMotorPanel : public QFrame {
public:
    explicit TMotorPanel(QWidget* parent);

    int Speed() const;
    int Duration() const;  // in 100 ms units

    QSlider* speedSlider;
    QLabel* speedLabel;
    QSlider* timeSlider;
    QLabel* timeLabel;
    QPushButton* leftBtn;
    QPushButton* centerBtn;
    QPushButton* rightBtn;
    QPushButton* rotateLeftBtn;
    QPushButton* rotateRightBtn;

    void EnableMoves(bool enabled);

private:
    void ShowReadings();
};

}  // namespace kv
