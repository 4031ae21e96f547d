#pragma once
// Reads the keys of one section of the field file; the first unusable value is remembered
// as the problem, naming its section and key, and the key's default is used meanwhile.

#include "support/text/IniFile.h"

#include <cstdint>
#include <optional>
#include <string>

namespace kv {

class TSectionReader {
public:
    TSectionReader(const TIniFile& file, std::string section, std::string& problem);

    bool Has(const std::string& key) const;
    std::string Text(const std::string& key, const std::string& fallback = "") const;
    int64_t Whole(const std::string& key, int64_t fallback, int64_t lowest, int64_t highest);
    double Decimal(const std::string& key, double fallback);
    int Version(const std::string& key, int fallback);
    bool Flag(const std::string& key, bool fallback);

    // Takes the parsed value of the key, or the fallback when it is missing or unusable.
    template <typename T, typename Parse>
    T Parsed(const std::string& key, T fallback, Parse parse)
    {
        if (!Has(key))
            return fallback;
        auto value = parse(Text(key));
        if (!value) {
            Fail(key);
            return fallback;
        }
        return *value;
    }
    void Fail(const std::string& key);

private:
    const TIniFile& file_;
    std::string section_;
    std::string& problem_;
};

}  // namespace kv
