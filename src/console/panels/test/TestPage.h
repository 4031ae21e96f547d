#pragma once
// The page where the channels of one module at a time are tested; it replaces the launch
// page while "<TAB> Тест" is down.

#include <QWidget>

class QLabel;
class QPushButton;

namespace kv {

class TChannelGrid;
class THVPanel;
class TMotorPanel;

// The lower part of the page, by the class of the module shown.
enum class TSubPanel { None, Grid, HighVoltage, Motor };

class TTestPage : public QWidget {
public:
    explicit TTestPage(QWidget* parent);

    // Fills every detail label with "?".
    void ClearDetails();
    void ShowSubPanel(TSubPanel panel);

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
    QPushButton* saveChannelsBtn;
    QWidget* gridPanel;  // the grid with its legend
    TChannelGrid* grid;
    THVPanel* hvPanel;
    TMotorPanel* motorPanel;
};

}  // namespace kv
