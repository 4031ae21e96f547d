#pragma once
// The button row of the console's dialogs: the OK button (the default, Enter) and the Cancel
// button (Esc), right-aligned.

#include <QString>

class QDialog;
class QHBoxLayout;

namespace kv {

// okName null: only the Cancel button, which is then the default.
QHBoxLayout* AddDialogButtons(QDialog& dialog, const char* okName, const QString& okText,
                              const char* cancelName, const QString& cancelText);

}  // namespace kv
