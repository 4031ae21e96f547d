#include "devices/SavedFile.h"

#include <cerrno>
#include <cstring>
#include <fstream>

namespace kv {

std::string SaveFileBytes(const std::string& path, std::string_view bytes)
{
    std::ofstream file(path, std::ios::binary | std::ios::trunc);
    if (file)
        file.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    if (file)
        file.close();
    if (!file)
        return path + ": " + std::strerror(errno);
    return {};
}

}  // namespace kv
