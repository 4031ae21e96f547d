#pragma once
// "Питание ПК": whether the PC runs on its battery, and the charge.

#include "support/platform/Platform.h"

#include <QWidget>

class QLabel;
class QProgressBar;

namespace kv {

class TShape;

class TPowerIndicator : public QWidget {
public:
    explicit TPowerIndicator(QWidget* parent);

    // status null: the machine cannot tell. Returns the battery charge to remember.
    int Show(const TPowerStatus* status);

    TShape* dcLed;
    QLabel* dcLabel;
    QLabel* percentLed;
    QProgressBar* gauge;
};

}  // namespace kv
