#pragma once
// The progress window of the scenario memory operations.

#include "console/AuxForm.h"

namespace kv {

class TMemoryForm : public TAuxForm {
public:
    explicit TMemoryForm(QWidget* mainForm) : TAuxForm(mainForm, "TMemoryForm", "") {}
};

}  // namespace kv
