#pragma once
// Message lookup by fixed id with its built-in Russian text; the language file kvshow.lng
// beside the program replaces the texts.

#include <string>

namespace kv {

// The message table's entry id when the table has it, else the built-in text. Ids 21 and 46
// each stand for two related texts: the files in use are numbered that way.
std::string Localize(int id, const std::string& defaultText);

// The language file; AppFolder() + "kvshow.lng" unless set.
std::string LanguageFile();
void SetLanguageFile(const std::string& path);

// Fills the message table from the section strings of the language file (the n-th key in
// file order is id n) unless it holds texts already; a missing file leaves it empty.
void LoadMessageTable();
// Empties the table so the next translation pass reads the language file again.
void ResetMessageTable();

}  // namespace kv
