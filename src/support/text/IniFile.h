#pragma once
// INI files with the Windows profile semantics the operators' files were written for:
// sections and keys without regard to case, keys in file order, ";" lines are comments,
// no inline comments, blanks around names and values trimmed, CR LF or LF line ends.
// A missing file or section is not an error.

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace kv {

class TIniFile {
public:
    TIniFile() = default;
    // Reads and decodes the file (UTF-8 or Windows-1251); a missing file gives an empty one.
    static TIniFile Load(const std::string& path);
    static TIniFile Parse(std::string_view utf8Text);
    // The text with key set to value where the reader finds it (the first section and key of
    // the name), else added at the end of that section, else in a new section at the end.
    // Every other line, comments and line ends included, stays as it was.
    static std::string WithValue(std::string_view utf8Text, const std::string& section,
                                 const std::string& key, const std::string& value);

    bool HasSection(const std::string& section) const;
    bool HasKey(const std::string& section, const std::string& key) const;
    std::string ReadString(const std::string& section, const std::string& key,
                           const std::string& defaultValue) const;
    // The default when the key is missing or its value is not an integer.
    int64_t ReadInteger(const std::string& section, const std::string& key,
                        int64_t defaultValue) const;
    // Key names of a section in file order.
    std::vector<std::string> Keys(const std::string& section) const;
    // The values of a section in file order, each line its own even where key names repeat.
    std::vector<std::string> Values(const std::string& section) const;

private:
    struct TEntry {
        std::string key;
        std::string value;
    };
    struct TSection {
        std::string name;
        std::vector<TEntry> entries;
    };
    const TSection* FindSection(const std::string& section) const;
    const TEntry* FindEntry(const std::string& section, const std::string& key) const;

    std::vector<TSection> sections_;
};

}  // namespace kv
