#pragma once
// The folder the console's file dialogs open in: the one last used, kept across restarts in
// the console's state; a folder since removed is not offered.

#include <string>

namespace kv {

class TViewState;

// The run's dialogs start in the folder state kept, and keep the folder chosen there; null:
// this run only.
void KeepDialogFolderIn(TViewState* state);
// The folder last used while it exists, else the records folder, else the home folder.
std::string DialogStartFolder();
// After a file was chosen in it.
void DialogFolderUsed(const std::string& file);

}  // namespace kv
