#pragma once
// Counts down to a timed start, or up while an external start is awaited.

#include "console/AuxForm.h"

namespace kv {

class TTimerForm : public TAuxForm {
public:
    explicit TTimerForm(QWidget* mainForm) : TAuxForm(mainForm, "TTimerForm", "Ожидание запуска") {}
};

}  // namespace kv
