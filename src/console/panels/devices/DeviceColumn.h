#pragma once
// The left column: what is on the bus. One row per firing module, the radio modules'
// lamps, and the buttons that search the bus and switch to the test page.

#include <QFrame>

#include <array>

class QPushButton;
class QVBoxLayout;

namespace kv {

class TDeviceRows;
class TShape;

class TDeviceColumn : public QFrame {
public:
    static constexpr int kFirstRadio = 240;
    static constexpr int kRadios = 15;

    explicit TDeviceColumn(QWidget* parent);

    QPushButton* testBtn;
    QPushButton* searchBtn;
    QPushButton* testModeBtn;
    QPushButton* fireModeBtn;
    TDeviceRows* rows;
    std::array<TShape*, kRadios> radios;
};

}  // namespace kv
