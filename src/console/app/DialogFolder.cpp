#include "console/app/DialogFolder.h"

#include "console/app/ViewState.h"
#include "support/platform/FilePlaces.h"

#include <QDir>
#include <QFileInfo>

namespace kv {

namespace {

constexpr char kKey[] = "LastFolder";

struct TDialogFolder {
    TViewState* state = nullptr;
    std::string last;
};

TDialogFolder& Folder()
{
    static TDialogFolder folder;
    return folder;
}

}  // namespace

void KeepDialogFolderIn(TViewState* state)
{
    Folder().state = state;
    if (state)
        Folder().last = state->Read(kKey);
}

std::string DialogStartFolder()
{
    // A stick pulled or a show folder cleared since: the dialog would open somewhere odd.
    for (const std::string& folder : {Folder().last, RecordsFolder(), QDir::homePath().toStdString()})
        if (!folder.empty() && QFileInfo(QString::fromStdString(folder)).isDir())
            return folder;
    return {};
}

void DialogFolderUsed(const std::string& file)
{
    Folder().last = QFileInfo(QString::fromStdString(file)).absolutePath().toStdString();
    if (Folder().state)
        Folder().state->Write(kKey, Folder().last);
}

}  // namespace kv
