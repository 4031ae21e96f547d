#include "show/scenario/ShowOpen.h"

#include "show/scenario/ScenarioFile.h"
#include "show/scenario/ScenarioParser.h"
#include "support/lang/Localizer.h"
#include "support/text/SavedFile.h"
#include "support/text/TextEncoding.h"

#include <filesystem>
#include <system_error>

namespace kv {

namespace {

// A part unpacked before is used again when its bytes are the same.
std::string Unpack(const std::string& stateFolder, const std::string& name,
                   const std::string& bytes, std::string& file)
{
    file = UnpackedPartFile(stateFolder, name, bytes);
    std::string present;
    if (ReadScenarioFile(file, present).empty() && present == bytes)
        return {};
    std::error_code error;
    std::filesystem::create_directories(std::filesystem::path(file).parent_path(), error);
    if (error)
        return "\"" + std::filesystem::path(file).parent_path().string() + "\": " + error.message();
    return SaveFileBytes(file, bytes);
}

}  // namespace

std::string UnpackedPartFile(const std::string& stateFolder, const std::string& name,
                             const std::string& bytes)
{
    return stateFolder + "shows/" + Sha256Hex(bytes).substr(0, 16) + "/" + name;
}

std::string OpenShowPackage(const std::string& path, const std::string& stateFolder,
                            TOpenedShow& show)
{
    TShowPackage package;
    if (std::string error = ReadShowPackage(path, package); !error.empty())
        return error;
    std::vector<TCue> cues;
    if (const size_t badLine = ParseScenarioText(DecodeText(package.scenario), cues); badLine != 0)
        return package.scenarioName + ": " + Localize(94, "Ошибка загрузки сценария (строка:") +
               " " + std::to_string(badLine) + ").";
    TOpenedShow opened;
    if (std::string error = Unpack(stateFolder, package.scenarioName, package.scenario,
                                   opened.scenarioFile);
        !error.empty())
        return error;
    if (!package.soundtrackName.empty())
        if (std::string error = Unpack(stateFolder, package.soundtrackName, package.soundtrack,
                                       opened.soundtrackFile);
            !error.empty())
            return error;
    opened.cues = std::move(cues);
    opened.scenarioName = package.scenarioName;
    opened.scenarioText = std::move(package.scenario);
    opened.settings = std::move(package.settings);
    show = std::move(opened);
    return {};
}

}  // namespace kv
