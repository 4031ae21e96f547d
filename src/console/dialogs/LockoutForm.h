#pragma once
// The lockout of the current show's positions, switched one at a time while the show runs:
// Space or a click switches the position under the cursor, at once. The console's stop keys
// work here as in every other window of it; Esc then closes the window.

#include "console/dialogs/AuxForm.h"

#include <functional>

class QLabel;
class QListWidget;
class QListWidgetItem;

namespace kv {

class TCommonPlayer;

class TLockoutForm : public TAuxForm {
public:
    // changed: after each switch that held.
    TLockoutForm(QWidget* mainForm, TCommonPlayer& player, std::function<void()> changed);

    void Ask();

private:
    void Switch(QListWidgetItem& item);
    void ShowState();

    TCommonPlayer& player_;
    std::function<void()> changed_;
    QListWidget* list_ = nullptr;
    QLabel* state_ = nullptr;
};

}  // namespace kv
