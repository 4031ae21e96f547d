#pragma once
// Files the operator saves from the device panels.

#include <string>
#include <string_view>

namespace kv {

// Creates or overwrites the file with these bytes. Empty on success, else the file's name
// and the system's reason.
std::string SaveFileBytes(const std::string& path, std::string_view bytes);

}  // namespace kv
