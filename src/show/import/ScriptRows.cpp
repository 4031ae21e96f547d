#include "show/import/ScriptRows.h"

#include "show/import/ScriptAddress.h"
#include "show/import/ScriptTime.h"
#include "support/lang/AddedMessages.h"
#include "support/text/Conversions.h"

namespace kv {

namespace {

namespace names = script_columns;

constexpr std::string_view kDataRow = "FIRING_DATA_ROW";
// Shells lift in seconds: a longer prefire is milliseconds read as seconds.
constexpr int32_t kPrefireLimit = 30'000;

std::string_view Cell(const TCsvRow& row, int column)
{
    if (column < 0 || static_cast<size_t>(column) >= row.fields.size())
        return {};
    return TrimBlanks(row.fields[static_cast<size_t>(column)]);
}

std::string Refusal(const TMessage& message, std::string_view value)
{
    return Localize(message) + ": \"" + std::string(value) + "\"";
}

// A time not read; a fraction where milliseconds are counted is most likely seconds.
std::string TimeRefusal(const TMessage& message, TTimeUnit unit, std::string_view cell)
{
    const bool fraction = unit == TTimeUnit::Milliseconds &&
                          cell.find(':') == std::string_view::npos &&
                          cell.find_first_of(".,") != std::string_view::npos;
    return Refusal(fraction ? kMsgImportFractionalMs : message, cell);
}

// Fields up to the last that is not blank: spreadsheets pad rows with empty ones.
size_t FilledWidth(const std::vector<std::string>& fields)
{
    size_t width = fields.size();
    while (width > 0 && TrimBlanks(fields[width - 1]).empty())
        --width;
    return width;
}

// A column named in milliseconds ("Time (ms)", "PFT") counts in them.
TTimeUnit UnitOf(const TScriptColumns& columns, int column)
{
    const std::string& name = columns.Name(column);
    return name.ends_with("ms") || name == "pft" ? TTimeUnit::Milliseconds : TTimeUnit::Seconds;
}

// Text fit for the scenario's note: one line, no TAB, no "|" (the note's own separator).
std::string NoteText(std::string_view cell)
{
    std::string text(cell);
    for (char& c : text) {
        if (static_cast<unsigned char>(c) < 0x20)
            c = ' ';
        else if (c == '|')
            c = '/';
    }
    return std::string(TrimBlanks(text));
}

}  // namespace

TRowMapping::TRowMapping(TScriptFormat format, const std::vector<std::string>& header,
                         const TImportOptions& options)
    : options_(options), columns_(FilledWidth(header))
{
    const TScriptColumns columns(header);
    const auto find = [&](std::string_view name) { return columns.Find({&name, 1}); };
    position_ = columns.Find(names::kPosition);
    switch (format) {
    case TScriptFormat::Interchange:
        rowType_ = 0;
        ignition_ = find("ignitioneventtime");
        prefire_ = find("prefiredelay");
        deviceDelay_ = find("devicedelay");
        module_ = find("moduleaddress");
        rail_ = find("slataddress");
        pin_ = find("pinaddress");
        effectNames_ = {find("effectname")};
        position_ = find("positionname");
        Need(ignition_, "Ignition Event Time");
        Need(module_, "Module Address");
        Need(pin_, "Pin Address");
        break;
    case TScriptFormat::Rail:
        ignition_ = find("time");
        ignitionUnit_ = TTimeUnit::Milliseconds;
        module_ = find("moduleid");
        rail_ = find("rail");
        pin_ = find("channel");
        effectNames_ = {find("channelname")};
        break;
    case TScriptFormat::Frames:
        hours_ = find("hh");
        minutes_ = find("mm");
        seconds_ = find("ss");
        frames_ = find("ff");
        prefire_ = find("pft");
        prefireUnit_ = TTimeUnit::Milliseconds;
        hexAddress_ = find("addr");
        effectNames_ = {find("eventdescription"), find("effectdescription")};
        if (!(options.fps > 0) && !options.dropFrame)
            problem_ = Localize(kMsgImportNoFrameRate);
        break;
    case TScriptFormat::Plain:
        ignition_ = columns.Find(names::kIgnitionTime);
        effect_ = columns.Find(names::kEffectTime);
        ignitionUnit_ = UnitOf(columns, ignition_);
        effectUnit_ = UnitOf(columns, effect_);
        prefire_ = columns.Find(names::kPrefire);
        prefireUnit_ = UnitOf(columns, prefire_);
        module_ = columns.Find(names::kModule);
        rail_ = columns.Find(names::kRail);
        pin_ = columns.Find(names::kPin);
        effectNames_ = {columns.Find(names::kEffectName)};
        if (ignition_ < 0 && effect_ < 0)
            Need(-1, "Time");
        Need(module_, "Module");
        Need(pin_, "Pin");
        break;
    }
}

void TRowMapping::Need(int column, std::string_view name)
{
    if (column < 0 && problem_.empty())
        problem_ = Localize(kMsgImportNoColumn) + " " + std::string(name) + ".";
}

TRowVerdict TRowMapping::Map(const TCsvRow& row, TScriptRow& out, std::string& reason) const
{
    out = TScriptRow{};
    out.line = row.line;
    // A field more than the header names shifts the columns, as a decimal comma in a comma
    // file does: "1,5,2,3" under "Time,Module,Pin" would fire module 5 instead of 2.
    if (const size_t width = FilledWidth(row.fields); width > columns_) {
        reason = Localize(kMsgImportExtraFields) + ": " + std::to_string(width) + " > " +
                 std::to_string(columns_);
        return TRowVerdict::Refused;
    }
    if (rowType_ >= 0 && Cell(row, rowType_) != kDataRow) {
        reason = Refusal(kMsgImportRowType, Cell(row, rowType_));
        return TRowVerdict::Refused;
    }
    if (const TRowVerdict times = MapTimes(row, out, reason); times != TRowVerdict::Taken)
        return times;
    if (!MapAddress(row, out, reason))
        return TRowVerdict::Refused;
    for (const int column : effectNames_)
        if (out.effectName.empty())
            out.effectName = NoteText(Cell(row, column));
    out.position = NoteText(Cell(row, position_));
    return TRowVerdict::Taken;
}

TRowVerdict TRowMapping::MapTimes(const TCsvRow& row, TScriptRow& out,
                                  std::string& reason) const
{
    int32_t prefire = 0;
    for (const int column : {prefire_, deviceDelay_}) {
        if (column < 0 || Cell(row, column).empty())
            continue;
        const auto delay = ParseScriptTime(Cell(row, column), prefireUnit_);
        if (!delay) {
            reason = TimeRefusal(kMsgImportBadPrefire, prefireUnit_, Cell(row, column));
            return TRowVerdict::Refused;
        }
        // Milliseconds read as seconds: minutes early in this row, seconds early in others.
        if (column == prefire_ && *delay > kPrefireLimit) {
            reason = Localize(kMsgImportPrefireUnit) + " " + std::to_string(row.line) + ": \"" +
                     std::string(Cell(row, column)) + "\"";
            return TRowVerdict::UnitInDoubt;
        }
        prefire += *delay;
    }
    std::optional<int32_t> ignition;
    std::optional<int32_t> effect;
    if (frames_ >= 0) {
        effect = FrameTime(Cell(row, hours_), Cell(row, minutes_), Cell(row, seconds_),
                           Cell(row, frames_), options_.fps, options_.dropFrame);
        if (!effect) {
            reason = Refusal(kMsgImportBadTime, std::string(Cell(row, hours_)) + ":" +
                                                    std::string(Cell(row, minutes_)) + ":" +
                                                    std::string(Cell(row, seconds_)) + ":" +
                                                    std::string(Cell(row, frames_)));
            return TRowVerdict::Refused;
        }
    }
    const auto read = [&](int column, TTimeUnit unit, std::optional<int32_t>& time) {
        if (column < 0)
            return true;
        time = ParseScriptTime(Cell(row, column), unit);
        if (!time)
            reason = TimeRefusal(kMsgImportBadTime, unit, Cell(row, column));
        return time.has_value();
    };
    if (!read(ignition_, ignitionUnit_, ignition) || !read(effect_, effectUnit_, effect))
        return TRowVerdict::Refused;
    // A script keeps one moment and the prefire between them; the ignition may fall before
    // the show's zero.
    out.ignition = ignition ? *ignition : *effect - prefire;
    out.effect = effect ? *effect : *ignition + prefire;
    return TRowVerdict::Taken;
}

bool TRowMapping::MapAddress(const TCsvRow& row, TScriptRow& out, std::string& reason) const
{
    if (hexAddress_ >= 0) {
        const auto address = ParseHexAddress(Cell(row, hexAddress_));
        if (!address) {
            reason = Refusal(kMsgImportBadAddress, Cell(row, hexAddress_));
            return false;
        }
        out.module = address->module;
        out.channel = address->channel;
        return true;
    }
    const auto module = ParseScriptModule(Cell(row, module_));
    if (!module) {
        reason = Refusal(kMsgImportBadModule, Cell(row, module_));
        return false;
    }
    const auto pin = ParseOneBased(Cell(row, pin_));
    if (!pin) {
        reason = Refusal(kMsgImportBadChannel, Cell(row, pin_));
        return false;
    }
    int64_t channel = *pin;
    const std::string_view railCell = Cell(row, rail_);
    if (!railCell.empty()) {
        const auto rail = ParseOneBased(railCell);
        if (!rail) {
            reason = Refusal(kMsgImportBadRail, railCell);
            return false;
        }
        if (options_.railSize > 0 && *pin > options_.railSize) {
            reason = Refusal(kMsgImportPinBeyondRail, Cell(row, pin_));
            return false;
        }
        // On the first rail the pin is the channel whatever the rail's size.
        if (*rail > 1) {
            if (options_.railSize <= 0) {
                reason = Refusal(kMsgImportNoRailSize, railCell);
                return false;
            }
            channel += static_cast<int64_t>(*rail - 1) * options_.railSize;
        }
    }
    if (channel > kScriptChannelCount) {
        reason = Refusal(kMsgImportBadChannel, Cell(row, pin_));
        return false;
    }
    out.module = *module;
    out.channel = static_cast<int32_t>(channel - 1);
    return true;
}

}  // namespace kv
