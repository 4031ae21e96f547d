#pragma once
// Files the operator saves: each is written whole beside its name and then renamed over it,
// so a write that fails (a full disk, a pulled stick) leaves the old file as it was.

#include <functional>
#include <string>
#include <string_view>

namespace kv {

// Creates or replaces the file with these bytes. Empty on success, else the file's name and
// the system's reason.
std::string SaveFileBytes(const std::string& path, std::string_view bytes);
// The same for a writer that makes the file itself (a PDF, say): write(temporary name) gives
// false when it failed.
std::string SaveFileWith(const std::string& path,
                         const std::function<bool(const std::string& temporary)>& write);

}  // namespace kv
