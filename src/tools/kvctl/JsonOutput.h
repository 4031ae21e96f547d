#pragma once
// kvctl --json: one object per run on stdout, for scripts. Fields are named with their units;
// channels, cues and converters count from 1. Fields are only ever added.

#include "show/scenario/Cue.h"

#include <QJsonArray>
#include <QJsonObject>

#include <cstdint>
#include <span>
#include <vector>

namespace kv {

class TCommonDevice;
class TControls;
struct TContinuityReport;
struct TFiringSummary;
struct TGoFinding;
struct TImportRefusal;
class TTimecodeChase;

QJsonObject DeviceJson(const TCommonDevice& device);
QJsonObject CueJson(const TCue& cue, int number);
QJsonObject SummaryJson(const TFiringSummary& summary);
QJsonObject GoNoGoJson(const std::vector<TGoFinding>& findings);
// Every firing module found, with its connected channels.
QJsonArray ConnectedChannelsJson(const TControls& controls);
QJsonObject ContinuityJson(const TContinuityReport& report);
QJsonArray CuesJson(std::span<const TCue> cues);
QJsonArray RefusalsJson(const std::vector<TImportRefusal>& refused);
// The desk's timecode: its rate, the lock and quality at the end, and its record.
QJsonObject TimecodeJson(TTimecodeChase& chase, uint32_t now);
void PrintJson(const QJsonObject& object);

}  // namespace kv
