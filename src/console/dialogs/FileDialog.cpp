#include "console/dialogs/FileDialog.h"

#include "support/platform/Platform.h"

namespace kv {

TFileDialog::TFileDialog(QObject* window, const char* name, std::string filter)
    : QObject(window), filter_(std::move(filter))
{
    setObjectName(name);
}

std::optional<std::string> TFileDialog::Open() const
{
    return Platform().OpenFileName(filter_);
}

std::optional<std::string> TFileDialog::Save(const std::string& proposedName) const
{
    return Platform().SaveFileName(filter_, proposedName);
}

}  // namespace kv
