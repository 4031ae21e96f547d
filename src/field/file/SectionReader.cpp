#include "field/file/SectionReader.h"

#include "field/file/FieldText.h"

#include <algorithm>
#include <cctype>

namespace kv {

TSectionReader::TSectionReader(const TIniFile& file, std::string section, std::string& problem)
    : file_(file), section_(std::move(section)), problem_(problem)
{
}

bool TSectionReader::Has(const std::string& key) const
{
    return file_.HasKey(section_, key);
}

std::string TSectionReader::Text(const std::string& key, const std::string& fallback) const
{
    return file_.ReadString(section_, key, fallback);
}

void TSectionReader::Fail(const std::string& key)
{
    if (problem_.empty())
        problem_ = "[" + section_ + "] " + key + "=" + Text(key) + ": unusable value";
}

int64_t TSectionReader::Whole(const std::string& key, int64_t fallback, int64_t lowest,
                              int64_t highest)
{
    const int64_t value = Parsed(key, fallback, ParseWhole);
    if (value < lowest || value > highest) {
        Fail(key);
        return fallback;
    }
    return value;
}

double TSectionReader::Decimal(const std::string& key, double fallback)
{
    return Parsed(key, fallback, ParseDecimal);
}

int TSectionReader::Version(const std::string& key, int fallback)
{
    return Parsed(key, fallback, ParseVersion);
}

bool TSectionReader::Flag(const std::string& key, bool fallback)
{
    return Parsed(key, fallback, [](std::string text) -> std::optional<bool> {
        std::transform(text.begin(), text.end(), text.begin(),
                       [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
        if (text == "1" || text == "yes" || text == "on")
            return true;
        if (text == "0" || text == "no" || text == "off")
            return false;
        return std::nullopt;
    });
}

}  // namespace kv
