#pragma once
// Text inside the program is UTF-8. Files the program reads may be UTF-8 (with or without a
// byte-order mark) or Windows-1251; files it writes for operators' tools are Windows-1251.

#include <string>
#include <string_view>

namespace kv {

// Valid UTF-8 is taken as UTF-8 (a leading BOM dropped); anything else as Windows-1251.
std::string DecodeText(std::string_view bytes);
// Characters Windows-1251 cannot hold become "?".
std::string EncodeCp1251(std::string_view utf8);
std::string DecodeCp1251(std::string_view bytes);
// UTF-16 without its byte-order mark; a broken surrogate pair or an odd last byte gives U+FFFD.
std::string DecodeUtf16(std::string_view bytes, bool bigEndian);
bool IsValidUtf8(std::string_view bytes);

}  // namespace kv
