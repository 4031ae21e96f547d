#pragma once
// The text of a show script as design programs export it: UTF-16 of either byte order, UTF-8
// with or without a byte-order mark, or Windows-1251.

#include <string>
#include <string_view>

namespace kv {

// UTF-8 text. UTF-16 is told by its byte-order mark or, without one, by the zero high bytes
// of its Latin characters.
std::string DecodeScriptText(std::string_view bytes);

}  // namespace kv
