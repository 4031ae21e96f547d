#pragma once
// The strip above the launch page: launch state, firing mode, control mode, converters and
// PC power, each column headed by the key that changes it.

#include "console/panels/launch/Indicator.h"

#include <QWidget>

namespace kv {

class TPowerIndicator;

class TIndicatorStrip : public QWidget {
public:
    explicit TIndicatorStrip(QWidget* parent);

    TIndicator wait;
    TIndicator work;
    TIndicator workAuto;
    TIndicator workManual;
    TIndicator direct;
    TIndicator autonomous;
    TShape* rs485;
    QLabel* rs485Label;
    TPowerIndicator* power;
};

}  // namespace kv
