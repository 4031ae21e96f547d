#pragma once
// Message lookup by fixed id with its built-in Russian text; the language file kvshow.lng
// beside the program replaces the texts.

#include <string>

namespace kv {

// The message table's entry id when the table has it, else the built-in text.
std::string Localize(int id, const std::string& defaultText);

}  // namespace kv
