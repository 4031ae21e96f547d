#include "show/report/FiringReportFile.h"

#include "support/lang/AddedMessages.h"
#include "support/text/Conversions.h"
#include "support/text/CsvReader.h"
#include "support/text/SavedFile.h"

#include <array>
#include <fstream>
#include <optional>
#include <sstream>
#include <string_view>
#include <utility>

namespace kv {

namespace {

constexpr std::string_view kTenColumns =
    "cue,time_ms,module,channel,kind,outcome,sent_ms,lateness_ms,check,reason";
constexpr std::string_view kHeader =
    "cue,time_ms,module,channel,kind,outcome,sent_ms,lateness_ms,check,reason,effect,position";
constexpr size_t kTenColumnCount = 10;
constexpr std::string_view kFireKind = "fire";
constexpr std::string_view kRehearsalEnd = "-rehearsal.csv";

// One table per column, read both ways, so that what is written always reads back.
constexpr std::array<std::pair<TCueOutcome, std::string_view>, 6> kOutcomes{{
    {TCueOutcome::Pending, "pending"},
    {TCueOutcome::Fired, "fired"},
    {TCueOutcome::ByHand, "fired by hand"},
    {TCueOutcome::Memory, "memory"},
    {TCueOutcome::Missed, "missed"},
    {TCueOutcome::Elsewhere, "fired by the other station"},
}};
constexpr std::array<std::pair<TMissReason, std::string_view>, 10> kReasons{{
    {TMissReason::None, ""},
    {TMissReason::ModuleAbsent, "module absent"},
    {TMissReason::ConverterLost, "converter lost"},
    {TMissReason::NoEcho, "no echo"},
    {TMissReason::OutsideTables, "outside the tables"},
    {TMissReason::BeforeStart, "before the start point"},
    {TMissReason::StoppedBefore, "stopped before"},
    {TMissReason::TimecodeJump, "timecode jump"},
    {TMissReason::PositionLockedOut, "position locked out"},
    {TMissReason::TooLate, "too late"},
}};
constexpr std::array<std::pair<TCheckResult, std::string_view>, 6> kChecks{{
    {TCheckResult::Unchecked, ""},
    {TCheckResult::NoAnswer, "no answer"},
    {TCheckResult::Unknown, "unknown"},
    {TCheckResult::Connected, "connected"},
    {TCheckResult::Open, "open"},
    {TCheckResult::Fault, "fault"},
}};
constexpr std::array<int32_t, 5> kMotorKinds{kKindCenter, kKindLeft, kKindRight,
                                             kKindRotateLeft, kKindRotateRight};

template <typename T, size_t N>
std::string_view TextOf(const std::array<std::pair<T, std::string_view>, N>& table, T value)
{
    for (const auto& [entry, text] : table)
        if (entry == value)
            return text;
    return table[0].second;
}

template <typename T, size_t N>
std::optional<T> ValueOf(const std::array<std::pair<T, std::string_view>, N>& table,
                         std::string_view text)
{
    for (const auto& [entry, name] : table)
        if (name == text)
            return entry;
    return std::nullopt;
}


std::optional<int32_t> KindOf(std::string_view text)
{
    if (text == kFireKind)
        return kKindFire;
    for (const int32_t kind : kMotorKinds)
        if (text == MotorLetter(kind))
            return kind;
    return std::nullopt;
}

std::string Cell(const std::string& text)
{
    if (text.find_first_of(",\"") == std::string::npos)
        return text;
    std::string quoted = "\"";
    for (const char c : text)
        quoted += c == '"' ? std::string("\"\"") : std::string(1, c);
    return quoted + "\"";
}

std::optional<int32_t> Number(std::string_view text)
{
    if (text.empty())
        return std::nullopt;
    const auto value = ParseInteger(text, 32);
    return value ? std::optional<int32_t>(static_cast<int32_t>(*value)) : std::nullopt;
}

bool HasMoment(TCueOutcome outcome)
{
    return outcome == TCueOutcome::Fired || outcome == TCueOutcome::ByHand;
}

// A line as the writer makes it, and nothing else: a report is evidence after an incident.
std::optional<TCueRecord> ParseLine(std::string_view line, int number, size_t fields)
{
    const std::vector<TCsvRow> rows = ReadCsv(line, ',');
    if (rows.size() != 1)
        return std::nullopt;
    const std::vector<std::string>& f = rows[0].fields;
    if (f.size() != fields || Number(f[0]) != number)
        return std::nullopt;
    TCueRecord record;
    const auto time = Number(f[1]);
    const auto module = Number(f[2]);
    const auto kind = KindOf(f[4]);
    const auto outcome = ValueOf(kOutcomes, f[5]);
    const auto check = ValueOf(kChecks, f[8]);
    const auto reason = ValueOf(kReasons, f[9]);
    if (!time || !module || !kind || !outcome || !check || !reason)
        return std::nullopt;
    record.cue.time = *time;
    record.cue.module = *module;
    record.cue.kind = *kind;
    if (*kind == kKindFire) {
        const auto channel = Number(f[3]);
        if (!channel)
            return std::nullopt;
        record.cue.channel = *channel - 1;
    } else if (!f[3].empty()) {
        return std::nullopt;
    }
    record.outcome = *outcome;
    record.check = *check;
    record.reason = *reason;
    if (HasMoment(*outcome)) {
        const auto sent = Number(f[6]);
        const auto lateness = Number(f[7]);
        if (!sent || !lateness || *lateness != int64_t{*sent} - *time)
            return std::nullopt;
        record.sentAt = *sent;
    } else if (!f[6].empty() || !f[7].empty()) {
        return std::nullopt;
    }
    if ((*outcome == TCueOutcome::Missed) != (*reason != TMissReason::None))
        return std::nullopt;
    if (fields > kTenColumnCount) {
        record.effect = f[10];
        record.position = f[11];
    }
    return record;
}

}  // namespace

std::string_view CueKindName(int32_t kind)
{
    return IsMotorKind(kind) ? std::string_view(MotorLetter(kind)) : kFireKind;
}

std::string_view MissReasonName(TMissReason reason)
{
    return TextOf(kReasons, reason);
}

std::string_view CheckResultName(TCheckResult check)
{
    return TextOf(kChecks, check);
}

bool WriteFiringReport(const TFiringReport& report, const std::string& path)
{
    std::ostringstream file;
    file << kHeader << "\r\n";
    int number = 0;
    for (const TCueRecord& record : report.Records()) {
        const TScenarioCue& cue = record.cue;
        file << ++number << ',' << cue.time << ',' << cue.module << ',';
        if (cue.kind == kKindFire)
            file << cue.channel + 1;
        file << ',' << CueKindName(cue.kind) << ',' << TextOf(kOutcomes, record.outcome) << ',';
        if (HasMoment(record.outcome))
            file << record.sentAt << ',' << record.Lateness();
        else
            file << ',';
        file << ',' << TextOf(kChecks, record.check) << ',' << TextOf(kReasons, record.reason)
             << ',' << Cell(record.effect) << ',' << Cell(record.position) << "\r\n";
    }
    // Rewritten as the checks come in: a failed rewrite keeps the last whole report.
    return SaveFileBytes(path, file.str()).empty();
}

std::string ReadFiringReport(const std::string& path, std::vector<TCueRecord>& records,
                             size_t* faultLine)
{
    records.clear();
    size_t unused = 0;
    size_t& fault = faultLine ? *faultLine : unused;
    fault = 0;
    std::ifstream file(path, std::ios::binary);
    if (!file)
        return Localize(kMsgFileNotOpened) + " " + path;
    std::string line;
    int number = 0;
    size_t fields = 0;
    fault = 1;
    while (std::getline(file, line)) {
        if (line.ends_with('\r'))
            line.pop_back();
        if (number == 0) {
            fields = line == kHeader       ? kTenColumnCount + 2
                     : line == kTenColumns ? kTenColumnCount
                                           : 0;
            if (fields == 0)
                return Localize(kMsgNotFiringReport) + " " + path;
        }
        if (number > 0) {
            const auto record = ParseLine(line, number, fields);
            if (!record) {
                records.clear();
                fault = static_cast<size_t>(number) + 1;
                return Localize(kMsgBadReportLine) + " " + std::to_string(number + 1) + ": " +
                       path;
            }
            records.push_back(*record);
        }
        ++number;
    }
    if (number == 0)
        return Localize(kMsgNotFiringReport) + " " + path;
    fault = 0;
    return {};
}

std::string FiringReportPathBeside(const std::string& logFile, int show, bool rehearsal)
{
    std::string stem = logFile;
    if (stem.ends_with(".log"))
        stem.resize(stem.size() - 4);
    return stem + "-show" + std::to_string(show) +
           std::string(rehearsal ? kRehearsalEnd : std::string_view(".csv"));
}

bool IsRehearsalReport(const std::string& path)
{
    return path.ends_with(kRehearsalEnd);
}

}  // namespace kv
