#include "show/scenario/ScenarioFile.h"

#include "support/text/SavedFile.h"

#include <cerrno>
#include <cstdio>
#include <memory>
#include <system_error>

namespace kv {

namespace {

std::string SystemError(const std::string& path, int error)
{
    return "\"" + path + "\": " + std::generic_category().message(error);
}

}  // namespace

std::string ReadScenarioFile(const std::string& path, std::string& bytes)
{
    bytes.clear();
    errno = 0;
    const std::unique_ptr<std::FILE, int (*)(std::FILE*)> file(std::fopen(path.c_str(), "rb"),
                                                               &std::fclose);
    if (!file)
        return SystemError(path, errno != 0 ? errno : ENOENT);
    char chunk[1 << 16];
    size_t got = 0;
    while ((got = std::fread(chunk, 1, sizeof chunk, file.get())) > 0)
        bytes.append(chunk, got);
    if (std::ferror(file.get())) {
        bytes.clear();
        return SystemError(path, errno != 0 ? errno : EIO);
    }
    return {};
}

std::string WriteScenarioFile(const std::string& path, const std::string& text)
{
    return SaveFileBytes(path, text);
}

}  // namespace kv
