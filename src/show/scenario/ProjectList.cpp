#include "show/scenario/ProjectList.h"

#include "show/scenario/ScenarioFile.h"
#include "show/scenario/ScenarioParser.h"
#include "show/scenario/ScenarioWriter.h"
#include "support/lang/Localizer.h"
#include "support/platform/Platform.h"
#include "support/text/TextEncoding.h"

#include <algorithm>
#include <filesystem>

namespace kv {

namespace {

void ShowError(const std::string& text)
{
    Platform().MessageBox(text, Localize(91, "Ошибка"), TButtons::Ok);
}

}  // namespace

void TProjectList::Load(const std::string& path)
{
    Clear();
    std::string bytes;
    if (const std::string error = ReadScenarioFile(path, bytes); !error.empty()) {
        ShowError(error);
        return;
    }
    if (const size_t badLine = ParseScenarioText(DecodeText(bytes), cues_); badLine != 0) {
        Clear();
        ShowError(Localize(94, "Ошибка загрузки сценария (строка:") + " " +
                  std::to_string(badLine) + ").");
        return;
    }
    SortByTime();
    name_ = std::filesystem::path(path).filename().string();
    source_ = std::move(bytes);
}

void TProjectList::Clear()
{
    cues_.clear();
    cues_.shrink_to_fit();
    name_.clear();
    source_.clear();
    ++revision_;
}

void TProjectList::Assign(std::vector<TCue> cues, const std::string& name, std::string source)
{
    Clear();
    cues_ = std::move(cues);
    SortByTime();
    name_ = name;
    source_ = source.empty() ? FiringScenarioText(cues_) : std::move(source);
}

int32_t TProjectList::Duration() const
{
    // Every change of the list ends sorted, so the last cue is the latest; the console asks
    // for this on every clock tick.
    return cues_.empty() ? 0 : cues_.back().time;
}

void TProjectList::SortByTime()
{
    std::stable_sort(cues_.begin(), cues_.end(),
                     [](const TCue& a, const TCue& b) { return a.time < b.time; });
    ++revision_;
}

}  // namespace kv
