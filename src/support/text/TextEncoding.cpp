#include "support/text/TextEncoding.h"

#include <array>
#include <cstdint>

namespace kv {

namespace {

// Unicode of the bytes 0x80..0xBF; 0xC0..0xFF are U+0410..U+044F. 0x98 has no character in
// the code page and keeps its own C1 value so that every byte survives a round trip.
constexpr std::array<char16_t, 64> kUpperHalf = {
    0x0402, 0x0403, 0x201A, 0x0453, 0x201E, 0x2026, 0x2020, 0x2021,
    0x20AC, 0x2030, 0x0409, 0x2039, 0x040A, 0x040C, 0x040B, 0x040F,
    0x0452, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,
    0x0098, 0x2122, 0x0459, 0x203A, 0x045A, 0x045C, 0x045B, 0x045F,
    0x00A0, 0x040E, 0x045E, 0x0408, 0x00A4, 0x0490, 0x00A6, 0x00A7,
    0x0401, 0x00A9, 0x0404, 0x00AB, 0x00AC, 0x00AD, 0x00AE, 0x0407,
    0x00B0, 0x00B1, 0x0406, 0x0456, 0x0491, 0x00B5, 0x00B6, 0x00B7,
    0x0451, 0x2116, 0x0454, 0x00BB, 0x0458, 0x0405, 0x0455, 0x0457,
};

constexpr char32_t kInvalid = 0xFFFFFFFF;

char32_t Cp1251ToUnicode(unsigned char byte)
{
    if (byte < 0x80)
        return byte;
    if (byte >= 0xC0)
        return 0x0410 + (byte - 0xC0);
    return kUpperHalf[byte - 0x80];
}

int UnicodeToCp1251(char32_t code)
{
    if (code < 0x80)
        return static_cast<int>(code);
    if (code >= 0x0410 && code <= 0x044F)
        return static_cast<int>(code - 0x0410 + 0xC0);
    for (size_t i = 0; i < kUpperHalf.size(); ++i)
        if (kUpperHalf[i] == code)
            return static_cast<int>(0x80 + i);
    return -1;
}

void AppendUtf8(std::string& out, char32_t code)
{
    if (code < 0x80) {
        out += static_cast<char>(code);
    } else if (code < 0x800) {
        out += static_cast<char>(0xC0 | (code >> 6));
        out += static_cast<char>(0x80 | (code & 0x3F));
    } else if (code < 0x10000) {
        out += static_cast<char>(0xE0 | (code >> 12));
        out += static_cast<char>(0x80 | ((code >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (code & 0x3F));
    } else {
        out += static_cast<char>(0xF0 | (code >> 18));
        out += static_cast<char>(0x80 | ((code >> 12) & 0x3F));
        out += static_cast<char>(0x80 | ((code >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (code & 0x3F));
    }
}

// Decodes one strict UTF-8 sequence at pos and moves past it; kInvalid for overlong forms,
// surrogates, values beyond U+10FFFF and broken sequences (pos then moves by one byte).
char32_t NextCodePoint(std::string_view bytes, size_t& pos)
{
    const auto lead = static_cast<unsigned char>(bytes[pos]);
    if (lead < 0x80) {
        ++pos;
        return lead;
    }
    int length = 0;
    char32_t code = 0;
    char32_t minimum = 0;
    if ((lead & 0xE0) == 0xC0) {
        length = 2, code = lead & 0x1F, minimum = 0x80;
    } else if ((lead & 0xF0) == 0xE0) {
        length = 3, code = lead & 0x0F, minimum = 0x800;
    } else if ((lead & 0xF8) == 0xF0) {
        length = 4, code = lead & 0x07, minimum = 0x10000;
    } else {
        ++pos;
        return kInvalid;
    }
    if (pos + length > bytes.size()) {
        ++pos;
        return kInvalid;
    }
    for (int i = 1; i < length; ++i) {
        const auto next = static_cast<unsigned char>(bytes[pos + i]);
        if ((next & 0xC0) != 0x80) {
            ++pos;
            return kInvalid;
        }
        code = (code << 6) | (next & 0x3F);
    }
    if (code < minimum || code > 0x10FFFF || (code >= 0xD800 && code <= 0xDFFF)) {
        ++pos;
        return kInvalid;
    }
    pos += length;
    return code;
}

constexpr std::string_view kByteOrderMark = "\xEF\xBB\xBF";

}  // namespace

bool IsValidUtf8(std::string_view bytes)
{
    size_t pos = 0;
    while (pos < bytes.size())
        if (NextCodePoint(bytes, pos) == kInvalid)
            return false;
    return true;
}

std::string DecodeCp1251(std::string_view bytes)
{
    std::string out;
    out.reserve(bytes.size() * 2);
    for (const char byte : bytes)
        AppendUtf8(out, Cp1251ToUnicode(static_cast<unsigned char>(byte)));
    return out;
}

std::string DecodeUtf16(std::string_view bytes, bool bigEndian)
{
    constexpr char32_t kReplacement = 0xFFFD;
    const auto unit = [&](size_t pos) {
        const auto first = static_cast<unsigned char>(bytes[pos]);
        const auto second = static_cast<unsigned char>(bytes[pos + 1]);
        return static_cast<char32_t>(bigEndian ? first << 8 | second : second << 8 | first);
    };
    std::string out;
    out.reserve(bytes.size());
    size_t pos = 0;
    for (; pos + 1 < bytes.size(); pos += 2) {
        const char32_t code = unit(pos);
        if (code < 0xD800 || code > 0xDFFF) {
            AppendUtf8(out, code);
        } else if (code <= 0xDBFF && pos + 3 < bytes.size() && unit(pos + 2) >= 0xDC00 &&
                   unit(pos + 2) <= 0xDFFF) {
            AppendUtf8(out, 0x10000 + ((code - 0xD800) << 10) + (unit(pos + 2) - 0xDC00));
            pos += 2;
        } else {
            AppendUtf8(out, kReplacement);
        }
    }
    if (pos < bytes.size())
        AppendUtf8(out, kReplacement);
    return out;
}

std::string EncodeCp1251(std::string_view utf8)
{
    std::string out;
    out.reserve(utf8.size());
    size_t pos = 0;
    while (pos < utf8.size()) {
        const int byte = UnicodeToCp1251(NextCodePoint(utf8, pos));
        out += byte < 0 ? '?' : static_cast<char>(byte);
    }
    return out;
}

std::string DecodeText(std::string_view bytes)
{
    if (!IsValidUtf8(bytes))
        return DecodeCp1251(bytes);
    if (bytes.starts_with(kByteOrderMark))
        bytes.remove_prefix(kByteOrderMark.size());
    return std::string(bytes);
}

}  // namespace kv
