#include "support/IniFile.h"

#include "support/Conversions.h"
#include "support/TextEncoding.h"

#include <algorithm>
#include <fstream>
#include <iterator>

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

}  // namespace

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
            const size_t close = line.find(']');
            const std::string_view name = Trim(line.substr(1, close == std::string_view::npos
                                                                  ? std::string_view::npos
                                                                  : close - 1));
            file.sections_.push_back(TSection{std::string(name), {}});
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
