#include "console/panels/devices/DeviceRowText.h"

#include "console/widgets/Colors.h"
#include "devices/kinds/CommonControl.h"
#include "devices/kinds/Firmware.h"
#include "support/text/Conversions.h"

#include <cmath>

namespace kv {

namespace {

const QString kTemplate = "   .     ??.??v     0%      ";
constexpr int kReadingsFrom = 9;  // first column the poll rewrites
constexpr int kHighVoltageType = 3;

// Right-aligns text so that it ends at column `last` (1-based); a text too long for its field
// gives up leading blanks before it would overwrite the columns in front of it.
void WriteEnding(QString& row, int first, int last, QString text)
{
    while (text.size() > last - first + 1 && text.startsWith(' '))
        text.remove(0, 1);
    row.replace(last - static_cast<int>(text.size()), text.size(), text);
}

void WriteReadings(QString& row, const TCommonControl& module)
{
    WriteEnding(row, 9, 14, " " + QString::number(module.supplyVoltage, 'f', 2));
    row[14] = 'v';
    WriteEnding(row, 16, 21, "  " + QString::number(module.LinkQuality()));
    row[16] = module.boostState == 0 ? '+' : ' ';
    row[21] = '%';
    if (module.deviceType == kHighVoltageType) {
        WriteEnding(row, 23, 28, "  " + QString::number(RoundHalfAway(module.outputVoltage)) + "v");
    } else if (module.version >= kVersionTemperature) {
        const QString sign = module.temperature >= 0 ? " +" : " -";
        const int64_t degrees = std::llabs(RoundHalfAway(module.temperature));
        WriteEnding(row, 23, 28, sign + QString::number(degrees) + "°C");
    }
}

}  // namespace

QString DeviceRowText(const TCommonControl& module)
{
    QString row = kTemplate;
    WriteEnding(row, 1, 3, QString::number(module.address));
    row[3] = '.';
    const QString count = QString::number(module.channelCount);
    row.replace(5, count.size(), count);
    WriteReadings(row, module);
    return row.left(kDeviceRowWidth);
}

QString RefreshedRowText(const QString& row, const TCommonControl& module)
{
    QString refreshed = row.left(kReadingsFrom - 1) + kTemplate.mid(kReadingsFrom - 1);
    if (refreshed.size() != kDeviceRowWidth)
        return DeviceRowText(module);
    WriteReadings(refreshed, module);
    return refreshed;
}

TRowColors DeviceRowColors(const TCommonControl& module)
{
    if (module.lastResult != 0)
        return {kRed, Qt::white};
    switch (module.modeState) {
    case 0:
        return {kGreen, NormalTextColor()};
    case 1:
        return {Qt::white, NormalTextColor()};
    default:
        return {QColor(255, 255, 0), NormalTextColor()};
    }
}

}  // namespace kv
