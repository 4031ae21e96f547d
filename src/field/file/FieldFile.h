#pragma once
// Builds a field from its description file (INI; the format is in share/README-field.md).

#include "field/bus/Field.h"
#include "support/text/IniFile.h"

#include <memory>
#include <string>

namespace kv {

// 0 on success; -1 with a problem text naming the section and key that could not be used.
int BuildField(const TIniFile& file, TField& field, std::string& problem);
// nullptr with a problem text when the file is missing or wrong.
std::shared_ptr<TField> LoadField(const std::string& path, std::string& problem,
                                  std::shared_ptr<TFieldClock> clock = nullptr);

}  // namespace kv
