#pragma once
// A window's file dialog as a named component, so that the language file's opensavedialogs
// section can give its filter ("description|patterns|…").

#include <QObject>

#include <optional>
#include <string>

namespace kv {

class TFileDialog : public QObject {
public:
    TFileDialog(QObject* window, const char* name, std::string filter);

    const std::string& Filter() const { return filter_; }
    void SetFilter(std::string filter) { filter_ = std::move(filter); }
    // The chosen file, none when cancelled.
    std::optional<std::string> Open() const;
    std::optional<std::string> Save(const std::string& proposedName) const;

private:
    std::string filter_;
};

}  // namespace kv
