#include "support/text/Conversions.h"

#include <unistd.h>

#include <vector>

namespace kv {

std::string AppFilePath()
{
    std::vector<char> buffer(4096);
    const ssize_t length = readlink("/proc/self/exe", buffer.data(), buffer.size());
    if (length <= 0 || static_cast<size_t>(length) >= buffer.size())
        return {};
    return std::string(buffer.data(), static_cast<size_t>(length));
}

std::string AppFolder()
{
    const std::string path = AppFilePath();
    return path.substr(0, path.find_last_of('/') + 1);
}

std::string AppVersionText()
{
#ifdef KV_VERSION_TEXT
    std::string version = KV_VERSION_TEXT;
#else
    std::string version;
#endif
    if (version.empty())
        return "0.0.0.0";
    // Always four numbers, as the version records of the Windows builds had.
    int parts = 1;
    for (const char c : version)
        parts += c == '.';
    for (; parts < 4; ++parts)
        version += ".0";
    return version;
}

}  // namespace kv
