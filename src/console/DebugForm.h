#pragma once
// Measures how far the modules' clocks drift from the PC's.

#include "console/AuxForm.h"

namespace kv {

class TDebugForm : public TAuxForm {
public:
    explicit TDebugForm(QWidget* mainForm) : TAuxForm(mainForm, "TDebugForm", "Отладка") {}
};

}  // namespace kv
