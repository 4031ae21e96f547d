#pragma once
// Chooses how a show starts: on an external start command from the bus, or at a time of day.

#include "console/dialogs/AuxForm.h"

#include <QTime>

#include <optional>

class QRadioButton;
class QTimeEdit;

namespace kv {

struct TStartChoice {
    bool byClock = false;
    QTime time;  // the picked time of day, when byClock
};

class TExtStartForm : public TAuxForm {
public:
    explicit TExtStartForm(QWidget* mainForm);

    // Modal, with the picker at now; none on "Отмена".
    std::optional<TStartChoice> Ask(const QTime& now);

private:
    QRadioButton* external_;
    QRadioButton* clock_;
    QTimeEdit* time_;
};

}  // namespace kv
