#pragma once
// What the translation pass needs from a window, so that the toolkit stays out of support:
// the console maps each widget type onto a component kind and its setters.

#include <functional>
#include <string>
#include <vector>

namespace kv {

enum class TComponentKind {
    Other,  // not translated
    MenuItem,
    Shape,
    OpenSaveDialog,
    TabSheet,
    Label,
    Button,
    RadioButton,
    SpeedButton,
    GroupBox,
    Action,
    ListView,
};

using TTextSetter = std::function<void(const std::string&)>;

// One component the window owns. Only the setters its kind uses need be given.
struct TLocalizedComponent {
    std::string name;
    TComponentKind kind = TComponentKind::Other;
    std::string text;  // as it stands, in its section's value form ("hint|caption" and so on)
    TTextSetter setCaption;
    TTextSetter setHint;
    TTextSetter setFilter;    // file dialogs
    size_t columnCount = 0;  // list views
    std::function<void(size_t, const std::string&)> setColumnCaption;
};

class TLocalizedWindow {
public:
    virtual ~TLocalizedWindow() = default;
    // The T-prefixed class name, as "TMainForm".
    virtual std::string ClassName() const = 0;
    virtual void SetCaption(const std::string& caption) = 0;
    virtual std::string CaptionText() const { return {}; }
    // In the window's component order.
    virtual std::vector<TLocalizedComponent> Components() = 0;
};

}  // namespace kv
