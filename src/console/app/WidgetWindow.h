#pragma once
// A Qt window as the translation pass sees it: its named child widgets and actions mapped onto
// the component kinds of the language file. Registers the window for TranslateAll while it
// lives.

#include "support/lang/LocalizedWindow.h"
#include "support/lang/WindowTranslation.h"

#include <optional>

class QObject;
class QWidget;

namespace kv {

class TWidgetWindow : public TLocalizedWindow {
public:
    // window must outlive this object.
    TWidgetWindow(QWidget& window, std::string className);

    std::string ClassName() const override { return className_; }
    void SetCaption(const std::string& caption) override;
    std::string CaptionText() const override;
    std::vector<TLocalizedComponent> Components() override;

private:
    std::optional<TLocalizedComponent> Component(QObject& object);

    QWidget& window_;
    const std::string className_;
    TLocalizer localizer_{*this};
};

}  // namespace kv
