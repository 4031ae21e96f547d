#pragma once
// The page where the channels of one module at a time are tested; it replaces the launch
// page while "<TAB> Тест" is down.

#include <QWidget>

class QLabel;
class QPushButton;

namespace kv {

class TTestPage : public QWidget {
public:
    explicit TTestPage(QWidget* parent);

    QLabel* address;
    QLabel* channelCount;
    QLabel* version;
    QLabel* supply;
    QLabel* output;
    QLabel* boost;
    QLabel* temperature;
    QPushButton* upBtn;
    QPushButton* downBtn;
    QPushButton* controlTestBtn;
    QPushButton* testAllBtn;
    QPushButton* testStopBtn;
    QPushButton* soundTestBtn;
    QPushButton* soundVolBtn;
    QPushButton* changeIdBtn;
};

}  // namespace kv
