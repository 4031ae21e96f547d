#include "show/import/ScriptText.h"

#include "support/text/TextEncoding.h"

#include <algorithm>

namespace kv {

namespace {

enum class TUtf16 { None, Little, Big };

// Column names and digits are Latin: in UTF-16 every other byte is zero, in any 8-bit text
// none is.
TUtf16 ZeroBytePattern(std::string_view bytes)
{
    const size_t sample = std::min<size_t>(bytes.size(), 512) & ~size_t{1};
    if (sample < 2)
        return TUtf16::None;
    size_t evenZeros = 0;
    size_t oddZeros = 0;
    for (size_t i = 0; i < sample; i += 2) {
        evenZeros += bytes[i] == '\0';
        oddZeros += bytes[i + 1] == '\0';
    }
    const size_t units = sample / 2;
    if (oddZeros * 2 > units && evenZeros == 0)
        return TUtf16::Little;
    if (evenZeros * 2 > units && oddZeros == 0)
        return TUtf16::Big;
    return TUtf16::None;
}

}  // namespace

std::string DecodeScriptText(std::string_view bytes)
{
    if (bytes.starts_with("\xFF\xFE"))
        return DecodeUtf16(bytes.substr(2), false);
    if (bytes.starts_with("\xFE\xFF"))
        return DecodeUtf16(bytes.substr(2), true);
    switch (ZeroBytePattern(bytes)) {
    case TUtf16::Little:
        return DecodeUtf16(bytes, false);
    case TUtf16::Big:
        return DecodeUtf16(bytes, true);
    case TUtf16::None:
        break;
    }
    return DecodeText(bytes);
}

}  // namespace kv
