#pragma once
// The show's clocks: scenario time and remaining time, soundtrack position and remaining
// time, tempo and offset, with the names of the current scenario and soundtrack.

#include <QFrame>

class QLabel;

namespace kv {

class TTimePanel : public QFrame {
public:
    explicit TTimePanel(QWidget* parent);

    QLabel* projectName;
    QLabel* soundName;
    QLabel* time;
    QLabel* scenarioRest;
    QLabel* soundPosition;
    QLabel* soundRest;
    QLabel* tempo;
    QLabel* offset;
    QLabel* distance;
};

}  // namespace kv
