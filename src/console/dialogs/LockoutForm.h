#pragma once
// The lockout of the current show's positions, switched one at a time while the show runs:
// Space or a click switches the position under the cursor, at once. Esc and F6 stop a running
// show from here as they do from the main window; Esc then closes the window.

#include "console/dialogs/AuxForm.h"

#include <functional>

class QLabel;
class QListWidget;
class QListWidgetItem;

namespace kv {

class TCommonPlayer;

class TLockoutForm : public TAuxForm {
public:
    // stop: the console's stop, on F6 and, in a show, Esc; changed: after each switch that
    // held.
    TLockoutForm(QWidget* mainForm, TCommonPlayer& player, std::function<void()> stop,
                 std::function<void()> changed);

    void Ask();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void showEvent(QShowEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    // F6 or Esc: stops a running show; Esc also closes. False for any other key.
    bool StopKey(int key);
    void Switch(QListWidgetItem& item);
    void ShowState();

    TCommonPlayer& player_;
    std::function<void()> stop_;
    std::function<void()> changed_;
    QListWidget* list_ = nullptr;
    QLabel* state_ = nullptr;
};

}  // namespace kv
