#pragma once
// The pieces a scenario line is cut into. A blank is a TAB or a SPACE.

#include <cstdint>
#include <string>
#include <string_view>

namespace kv {

// The next blank-delimited field; rest keeps what follows the one blank that ended it.
std::string_view NextField(std::string_view& rest);
// Leading blanks skipped, then everything up to the first TAB: spaces belong to a note.
std::string_view NoteField(std::string_view rest);
// An optional sign and decimal digits, nothing else, within 32 bits.
bool ParseDecimalInt(std::string_view text, int32_t& value);
// At most count characters of UTF-8 text, never splitting a character.
std::string CutToCharacters(std::string_view utf8, size_t count);

}  // namespace kv
