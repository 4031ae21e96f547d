#include "rigs/console/ConsoleFolder.h"

#include "support/text/Conversions.h"
#include "support/lang/Localizer.h"
#include "support/log/LogNaming.h"
#include "support/text/TextEncoding.h"

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>

namespace kv {

TConsoleFolder::TConsoleFolder()
{
    std::string pattern =
        (std::filesystem::temp_directory_path() / "kvconsole-XXXXXX").string();
    path_ = std::string(mkdtemp(pattern.data())) + "/";
    SetLanguageFile(path_ + "kvshow.lng");
    ResetMessageTable();
}

TConsoleFolder::~TConsoleFolder()
{
    std::error_code error;
    std::filesystem::remove_all(path_, error);
    ResetMessageTable();
}

void TConsoleFolder::WriteSettings(const std::string& extra) const
{
    WriteFile("kvshow.ini",
              "[link]\nPort=sim:" + std::string(KV_SHARE_DIR) + "/demo-field.ini\n" + extra);
}

void TConsoleFolder::WriteFile(const std::string& name, const std::string& text) const
{
    std::ofstream(path_ + name, std::ios::binary) << text;
}

std::vector<std::string> TConsoleFolder::LogLines(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    std::stringstream bytes;
    bytes << in.rdbuf();
    std::vector<std::string> lines;
    std::istringstream text(DecodeCp1251(bytes.str()));
    for (std::string line; std::getline(text, line);) {
        if (!line.empty() && line.back() == '\r')
            line.pop_back();
        lines.push_back(line);
    }
    return lines;
}

std::vector<std::string> TConsoleFolder::LogMessages(const std::string& path)
{
    std::vector<std::string> messages;
    for (const std::string& line : LogLines(path)) {
        const size_t stamp = line.find(": ");
        messages.push_back(stamp == std::string::npos ? line : line.substr(stamp + 2));
    }
    return messages;
}

std::string TConsoleFolder::LogName(int number) const
{
    return path_ + "logs/" + LogDateText(LocalTimeNow()) + "_" + IntToText(number) + ".log";
}

}  // namespace kv
