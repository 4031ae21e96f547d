#pragma once
// The red warning that announces an emergency stop; it closes by itself after ten seconds or
// at the operator's first key.

#include "console/dialogs/AuxForm.h"

class QLabel;
class QTimer;

namespace kv {

class TWarningForm : public TAuxForm {
public:
    static constexpr int kShowMs = 10000;

    explicit TWarningForm(QWidget* mainForm);

    // Not modal: the show and the bus go on behind it.
    void ShowWarning(const std::string& text);
    QString Text() const;

protected:
    void keyPressEvent(QKeyEvent* event) override;
    void hideEvent(QHideEvent* event) override;

private:
    QLabel* text_;
    QTimer* timer_;
};

}  // namespace kv
