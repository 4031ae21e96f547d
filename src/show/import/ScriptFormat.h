#pragma once
// The show-script layouts the import reads, each told by its header row:
// - interchange: rows typed by their first cell, FIRING_HEADER_ROW then FIRING_DATA_ROW; the
//   ignition time in seconds, the prefire after it;
// - rail: "Module ID,Rail,Channel,Time,..." with the time in milliseconds;
// - frames: "Cue,HH,MM,SS,FF,...,PFT,ADDR,..." with the effect time in frames, the prefire
//   (PFT) in milliseconds before it, and hexadecimal module and pin addresses;
// - plain: any header that names a time, a module and a pin or channel column.

#include "support/text/CsvReader.h"

#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace kv {

enum class TScriptFormat { Interchange, Rail, Frames, Plain };

// "interchange", "rail", "frames", "plain".
std::string_view ScriptFormatName(TScriptFormat format);
std::optional<TScriptFormat> ScriptFormatByName(std::string_view name);

// A header cell reduced to lower-case letters and digits: "Time (ms)" is "timems".
std::string NormalHeaderName(std::string_view cell);

// The header row's columns, found by any of their normal names.
class TScriptColumns {
public:
    explicit TScriptColumns(const std::vector<std::string>& header);
    // The index of the first column with one of the names, or -1.
    int Find(std::span<const std::string_view> names) const;
    // The normal name of column index; empty when there is none.
    const std::string& Name(int index) const;

private:
    std::vector<std::string> names_;
};

struct TScriptHeader {
    TScriptFormat format = TScriptFormat::Plain;
    size_t row = 0;  // index into the rows
};

// The first row that is the header of a layout: of the given one only when it is given, else
// of any, a more specific layout before plain.
std::optional<TScriptHeader> FindScriptHeader(const std::vector<TCsvRow>& rows,
                                              std::optional<TScriptFormat> format);

// Column names of the plain layout, also used to map the other layouts; the first name a
// header holds wins.
namespace script_columns {
inline constexpr std::string_view kIgnitionTime[] = {
    "ignitioneventtime", "ignitiontime", "ignition", "ignitionms", "ignitiontimems",
    "launchtime", "launch", "launchtimems", "launchms", "firetime", "firingtime"};
inline constexpr std::string_view kEffectTime[] = {
    "effecttime", "effecttimems", "scripttime", "scripttimems", "breaktime", "breaktimems",
    "time", "timems", "eventtime", "cuetime"};
inline constexpr std::string_view kModule[] = {"module", "moduleaddress", "moduleid",
                                               "modulenumber", "moduleno"};
inline constexpr std::string_view kRail[] = {"rail", "slat", "slataddress", "railaddress"};
// Not "cue": scripts number their cues in it, which as channels would fire other pins.
inline constexpr std::string_view kPin[] = {"pin", "pinaddress", "channel", "channelnumber",
                                            "pinnumber"};
inline constexpr std::string_view kPrefire[] = {"prefire", "prefiredelay", "prefirems",
                                                "prefiretime", "pft", "pftms"};
inline constexpr std::string_view kEffectName[] = {
    "effectname", "effect", "name", "eventdescription", "description", "effectdescription",
    "product", "productname", "channelname"};
inline constexpr std::string_view kPosition[] = {"position", "positionname", "pos"};
}  // namespace script_columns

}  // namespace kv
