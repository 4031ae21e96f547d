#include "show/import/ScriptFormat.h"

#include <algorithm>
#include <array>
#include <cctype>

namespace kv {

namespace {

constexpr std::array<std::pair<TScriptFormat, std::string_view>, 4> kNames = {{
    {TScriptFormat::Interchange, "interchange"},
    {TScriptFormat::Rail, "rail"},
    {TScriptFormat::Frames, "frames"},
    {TScriptFormat::Plain, "plain"},
}};

constexpr std::string_view kRailHeader[] = {"moduleid", "rail", "channel", "time"};
constexpr std::string_view kFramesHeader[] = {"cue", "hh", "mm", "ss", "ff", "pft", "addr"};

bool HasAll(const TScriptColumns& columns, std::span<const std::string_view> names)
{
    return std::all_of(names.begin(), names.end(),
                       [&](std::string_view name) { return columns.Find({&name, 1}) >= 0; });
}

bool IsHeaderOf(TScriptFormat format, const std::vector<std::string>& cells)
{
    const TScriptColumns columns(cells);
    namespace names = script_columns;
    switch (format) {
    case TScriptFormat::Interchange:
        return columns.Name(0) == "firingheaderrow";
    case TScriptFormat::Rail:
        return HasAll(columns, kRailHeader);
    case TScriptFormat::Frames:
        return HasAll(columns, kFramesHeader);
    case TScriptFormat::Plain:
        return (columns.Find(names::kIgnitionTime) >= 0 ||
                columns.Find(names::kEffectTime) >= 0) &&
               columns.Find(names::kModule) >= 0 && columns.Find(names::kPin) >= 0;
    }
    return false;
}

}  // namespace

std::string_view ScriptFormatName(TScriptFormat format)
{
    for (const auto& [known, name] : kNames)
        if (known == format)
            return name;
    return {};
}

std::optional<TScriptFormat> ScriptFormatByName(std::string_view name)
{
    for (const auto& [format, known] : kNames)
        if (known == name)
            return format;
    return std::nullopt;
}

std::string NormalHeaderName(std::string_view cell)
{
    std::string name;
    for (const char c : cell) {
        const auto byte = static_cast<unsigned char>(c);
        if (std::isalnum(byte) && byte < 0x80)
            name += static_cast<char>(std::tolower(byte));
    }
    return name;
}

TScriptColumns::TScriptColumns(const std::vector<std::string>& header)
{
    names_.reserve(header.size());
    for (const std::string& cell : header)
        names_.push_back(NormalHeaderName(cell));
}

int TScriptColumns::Find(std::span<const std::string_view> names) const
{
    for (const std::string_view name : names) {
        const auto found = std::find(names_.begin(), names_.end(), name);
        if (found != names_.end())
            return static_cast<int>(found - names_.begin());
    }
    return -1;
}

const std::string& TScriptColumns::Name(int index) const
{
    static const std::string kNone;
    return index >= 0 && static_cast<size_t>(index) < names_.size()
               ? names_[static_cast<size_t>(index)]
               : kNone;
}

std::optional<TScriptHeader> FindScriptHeader(const std::vector<TCsvRow>& rows,
                                              std::optional<TScriptFormat> format)
{
    constexpr TScriptFormat kMostSpecificFirst[] = {
        TScriptFormat::Interchange, TScriptFormat::Frames, TScriptFormat::Rail,
        TScriptFormat::Plain};
    for (size_t row = 0; row < rows.size(); ++row) {
        for (const TScriptFormat candidate : kMostSpecificFirst)
            if ((!format || *format == candidate) && IsHeaderOf(candidate, rows[row].fields))
                return TScriptHeader{candidate, row};
    }
    return std::nullopt;
}

}  // namespace kv
