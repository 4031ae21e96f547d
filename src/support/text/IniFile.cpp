#include "support/text/IniFile.h"

#include "support/text/Conversions.h"
#include "support/text/TextEncoding.h"

#include <algorithm>
#include <fstream>
#include <iterator>
#include <optional>

namespace kv {

namespace {

bool IsBlank(char c)
{
    return c == ' ' || c == '\t' || c == '\r';
}

std::string_view Trim(std::string_view text)
{
    while (!text.empty() && IsBlank(text.front()))
        text.remove_prefix(1);
    while (!text.empty() && IsBlank(text.back()))
        text.remove_suffix(1);
    return text;
}

// Matching quotes around a value are dropped, which is how a file gives a leading or
// trailing blank.
std::string_view Unquote(std::string_view value)
{
    if (value.size() >= 2 && (value.front() == '"' || value.front() == '\'') &&
        value.back() == value.front())
        return value.substr(1, value.size() - 2);
    return value;
}

// Case-insensitive for ASCII letters only, as names are Latin.
bool SameName(std::string_view a, std::string_view b)
{
    const auto lower = [](char c) { return (c >= 'A' && c <= 'Z') ? char(c - 'A' + 'a') : c; };
    return std::equal(a.begin(), a.end(), b.begin(), b.end(),
                      [&](char x, char y) { return lower(x) == lower(y); });
}

// A value the reader gives back as it was written: quoted when blanks at its ends or its
// own quotes would otherwise be lost; line breaks, which would start new keys, dropped.
std::string ValueText(std::string value)
{
    std::erase_if(value, [](char c) { return c == '\n' || c == '\r'; });
    if (!value.empty() && (IsBlank(value.front()) || IsBlank(value.back()) ||
                           Unquote(value).size() != value.size()))
        return '"' + value + '"';
    return value;
}

std::string_view SectionName(std::string_view line)
{
    const size_t close = line.find(']');
    return Trim(line.substr(1, close == std::string_view::npos ? std::string_view::npos
                                                                : close - 1));
}

}  // namespace

std::string TIniFile::WithValue(std::string_view utf8Text, const std::string& section,
                                const std::string& key, const std::string& value)
{
    const std::string eol = utf8Text.find("\r\n") != std::string_view::npos ? "\r\n" : "\n";
    const std::string entry = key + "=" + ValueText(value);
    std::string out;
    // Where a missing key goes: after the last key line of the section the reader reads.
    std::optional<size_t> sectionEnd;
    bool inSection = false;
    bool sectionSeen = false;
    std::string_view rest = utf8Text;
    while (!rest.empty()) {
        const size_t end = rest.find('\n');
        const std::string_view whole = rest.substr(0, end == std::string_view::npos ? rest.size()
                                                                                   : end + 1);
        rest.remove_prefix(whole.size());
        const std::string_view line = Trim(whole.substr(0, whole.find('\n')));
        if (!line.empty() && line.front() == '[') {
            inSection = !sectionSeen && SameName(SectionName(line), section);
            sectionSeen = sectionSeen || inSection;
            if (inSection)
                sectionEnd = out.size() + whole.size();
        } else if (inSection && !line.empty() && line.front() != ';') {
            const size_t equals = line.find('=');
            if (equals != std::string_view::npos && SameName(Trim(line.substr(0, equals)), key)) {
                const std::string_view ending = whole.substr(whole.find_last_not_of("\r\n") + 1);
                const size_t keyStart = whole.find_first_not_of(" \t");
                out += whole.substr(0, keyStart);
                out += Trim(line.substr(0, equals));
                out += "=" + ValueText(value);
                out += ending;
                out += rest;
                return out;
            }
            sectionEnd = out.size() + whole.size();
        }
        out += whole;
    }
    if (sectionEnd) {
        // The section's last line may have had no line end.
        std::string added = entry + eol;
        if (*sectionEnd > 0 && out[*sectionEnd - 1] != '\n')
            added = eol + entry;
        out.insert(*sectionEnd, added);
        return out;
    }
    if (!out.empty() && out.back() != '\n')
        out += eol;
    if (!out.empty())
        out += eol;
    return out + "[" + section + "]" + eol + entry + eol;
}

TIniFile TIniFile::Load(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    if (!in)
        return {};
    const std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    return Parse(DecodeText(bytes));
}

TIniFile TIniFile::Parse(std::string_view utf8Text)
{
    TIniFile file;
    TSection* current = nullptr;
    while (!utf8Text.empty()) {
        const size_t end = utf8Text.find('\n');
        const std::string_view line = Trim(utf8Text.substr(0, end));
        utf8Text.remove_prefix(end == std::string_view::npos ? utf8Text.size() : end + 1);

        if (line.empty() || line.front() == ';')
            continue;
        if (line.front() == '[') {
            file.sections_.push_back(TSection{std::string(SectionName(line)), {}});
            current = &file.sections_.back();
            continue;
        }
        const size_t equals = line.find('=');
        if (!current || equals == std::string_view::npos)
            continue;
        const std::string_view key = Trim(line.substr(0, equals));
        if (key.empty())
            continue;
        current->entries.push_back(
            TEntry{std::string(key), std::string(Unquote(Trim(line.substr(equals + 1))))});
    }
    return file;
}

// A repeated section or key is shadowed by its first occurrence, as the profile API does.
const TIniFile::TSection* TIniFile::FindSection(const std::string& section) const
{
    for (const TSection& candidate : sections_)
        if (SameName(candidate.name, section))
            return &candidate;
    return nullptr;
}

const TIniFile::TEntry* TIniFile::FindEntry(const std::string& section,
                                            const std::string& key) const
{
    const TSection* found = FindSection(section);
    if (!found)
        return nullptr;
    for (const TEntry& entry : found->entries)
        if (SameName(entry.key, key))
            return &entry;
    return nullptr;
}

bool TIniFile::HasSection(const std::string& section) const
{
    return FindSection(section) != nullptr;
}

bool TIniFile::HasKey(const std::string& section, const std::string& key) const
{
    return FindEntry(section, key) != nullptr;
}

std::string TIniFile::ReadString(const std::string& section, const std::string& key,
                                 const std::string& defaultValue) const
{
    const TEntry* entry = FindEntry(section, key);
    return entry ? entry->value : defaultValue;
}

int64_t TIniFile::ReadInteger(const std::string& section, const std::string& key,
                              int64_t defaultValue) const
{
    const TEntry* entry = FindEntry(section, key);
    if (!entry)
        return defaultValue;
    return ParseInteger(entry->value, 32).value_or(defaultValue);
}

std::vector<std::string> TIniFile::Keys(const std::string& section) const
{
    std::vector<std::string> keys;
    if (const TSection* found = FindSection(section))
        for (const TEntry& entry : found->entries)
            keys.push_back(entry.key);
    return keys;
}

std::vector<std::string> TIniFile::Values(const std::string& section) const
{
    std::vector<std::string> values;
    if (const TSection* found = FindSection(section))
        for (const TEntry& entry : found->entries)
            values.push_back(entry.value);
    return values;
}

}  // namespace kv
