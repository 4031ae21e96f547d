#pragma once
// The key reference (menu "Справка", Ctrl+K): every key of the launch page, the test page and
// the windows, and the main window's actions as their shortcuts and captions stand.

#include "console/dialogs/AuxForm.h"

#include <QList>

class QAction;
class QLabel;
class QTreeWidget;

namespace kv {

class TKeysForm : public TAuxForm {
public:
    explicit TKeysForm(QWidget* mainForm);

    // startKey and deadManKey are virtual key codes; 0 has no hold key.
    void ShowKeys(int startKey, int deadManKey, const QList<QAction*>& actions);

private:
    QLabel* startKey_;
    QLabel* deadManKey_;
    QLabel* deadManText_;
    QTreeWidget* actions_;
};

// A virtual key code as the keyboard names it ("F5", "Space", "B").
QString VirtualKeyName(int code);

}  // namespace kv
