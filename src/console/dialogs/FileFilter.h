#pragma once
// File dialog filters: "description|patterns|description|patterns…" as the language file
// writes them, turned into Qt's "description (patterns);;…".

#include <QString>

#include <string>

namespace kv {

QString QtFileFilter(const std::string& filter);

}  // namespace kv
