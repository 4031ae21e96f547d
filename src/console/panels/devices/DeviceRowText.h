#pragma once
// The 28-column text of a firing module's row in the device column, and its colours.

#include <QColor>
#include <QString>

namespace kv {

class TCommonControl;

constexpr int kDeviceRowWidth = 28;

// Address, channel count, then the readings.
QString DeviceRowText(const TCommonControl& module);
// The row with columns 9-28 rewritten from the module's readings; address and count stay.
QString RefreshedRowText(const QString& row, const TCommonControl& module);

struct TRowColors {
    QColor background;
    QColor text;
};
// Red on a failed exchange, else by mode: fire green, test white, unknown yellow.
TRowColors DeviceRowColors(const TCommonControl& module);

}  // namespace kv
