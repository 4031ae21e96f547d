#include "support/lang/WindowTranslation.h"

#include "support/text/DivStrings.h"
#include "support/text/IniFile.h"
#include "support/lang/Localizer.h"

#include <algorithm>
#include <filesystem>
#include <vector>

namespace kv {

namespace {

// Windows live on the main thread only, so the list needs no lock.
std::vector<TLocalizedWindow*>& WindowList()
{
    static std::vector<TLocalizedWindow*> windows;
    return windows;
}


void Call(const TTextSetter& setter, const std::string& text)
{
    if (setter)
        setter(text);
}

// "first|second": the second setter only runs when the value has a second part.
void ApplyPair(const std::string& value, const TTextSetter& first, const TTextSetter& second)
{
    const TDivStrings parts(value, '|');
    Call(first, parts.Get(0));
    if (parts.Count() > 1)
        Call(second, parts.Get(1));
}

void Apply(const TLocalizedComponent& component, const std::string& value)
{
    switch (component.kind) {
    case TComponentKind::Shape:
        Call(component.setHint, value);
        break;
    case TComponentKind::OpenSaveDialog:
        Call(component.setFilter, value);
        break;
    case TComponentKind::SpeedButton:
        ApplyPair(value, component.setHint, component.setCaption);
        break;
    case TComponentKind::Action:
        ApplyPair(value, component.setCaption, component.setHint);
        break;
    case TComponentKind::ListView: {
        const TDivStrings parts(value, '|');
        const size_t count = std::min(parts.Count(), component.columnCount);
        for (size_t column = 0; column < count && component.setColumnCaption; ++column)
            component.setColumnCaption(column, parts.Get(column));
        break;
    }
    default:
        Call(component.setCaption, value);
        break;
    }
}

}  // namespace

const char* SectionOf(TComponentKind kind)
{
    switch (kind) {
    case TComponentKind::MenuItem:
        return "menuitems";
    case TComponentKind::Shape:
        return "shapes";
    case TComponentKind::OpenSaveDialog:
        return "opensavedialogs";
    case TComponentKind::TabSheet:
        return "tabsheets";
    case TComponentKind::Label:
        return "labels";
    case TComponentKind::Button:
        return "buttons";
    case TComponentKind::RadioButton:
        return "radiobuttons";
    case TComponentKind::SpeedButton:
        return "speedbuttons";
    case TComponentKind::GroupBox:
        return "groupboxes";
    case TComponentKind::Action:
        return "actions";
    case TComponentKind::ListView:
        return "listviews";
    case TComponentKind::Other:
        break;
    }
    return nullptr;
}

TLocalizer::TLocalizer(TLocalizedWindow& owner) : owner_(owner)
{
    WindowList().push_back(&owner_);
}

TLocalizer::~TLocalizer()
{
    auto& windows = WindowList();
    windows.erase(std::find(windows.begin(), windows.end(), &owner_));
}

const std::vector<TLocalizedWindow*>& RegisteredWindows()
{
    return WindowList();
}

void TranslateAll()
{
    LoadMessageTable();
    // A copy: translating may create or destroy windows.
    const std::vector<TLocalizedWindow*> windows = RegisteredWindows();
    for (TLocalizedWindow* window : windows)
        TranslateWindow(*window);
}

void TranslateWindow(TLocalizedWindow& window)
{
    const std::string path = LanguageFile();
    std::error_code error;
    if (!std::filesystem::is_regular_file(path, error))
        return;
    const TIniFile file = TIniFile::Load(path);
    const std::string className = window.ClassName();
    if (file.HasKey("forms", className))
        window.SetCaption(file.ReadString("forms", className, ""));
    for (const TLocalizedComponent& component : window.Components()) {
        const char* section = SectionOf(component.kind);
        const std::string key = className + "." + component.name;
        if (section && file.HasKey(section, key))
            Apply(component, file.ReadString(section, key, ""));
    }
}

}  // namespace kv
