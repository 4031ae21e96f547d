#include "show/scenario/ScenarioFields.h"

#include <charconv>

namespace kv {

namespace {

bool IsBlank(char c)
{
    return c == '\t' || c == ' ';
}

std::string_view SkipBlanks(std::string_view text)
{
    size_t start = 0;
    while (start < text.size() && IsBlank(text[start]))
        ++start;
    return text.substr(start);
}

}  // namespace

std::string_view NextField(std::string_view& rest)
{
    const std::string_view text = SkipBlanks(rest);
    size_t end = 0;
    while (end < text.size() && !IsBlank(text[end]))
        ++end;
    rest = end < text.size() ? text.substr(end + 1) : std::string_view();
    return text.substr(0, end);
}

std::string_view NoteField(std::string_view rest)
{
    const std::string_view text = SkipBlanks(rest);
    return text.substr(0, text.find('\t'));
}

bool ParseDecimalInt(std::string_view text, int32_t& value)
{
    // from_chars takes a minus sign but not a plus sign.
    if (text.size() > 1 && text[0] == '+' && text[1] != '-')
        text.remove_prefix(1);
    const char* end = text.data() + text.size();
    const auto [stop, error] = std::from_chars(text.data(), end, value, 10);
    return error == std::errc() && stop == end;
}

std::string CutToCharacters(std::string_view utf8, size_t count)
{
    size_t characters = 0;
    for (size_t i = 0; i < utf8.size(); ++i) {
        const bool startsCharacter = (static_cast<unsigned char>(utf8[i]) & 0xC0) != 0x80;
        if (startsCharacter && characters++ == count)
            return std::string(utf8.substr(0, i));
    }
    return std::string(utf8);
}

}  // namespace kv
