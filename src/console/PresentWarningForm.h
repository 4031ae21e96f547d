#pragma once
// Lists the modules that need the operator's decision before a write or verify.

#include "console/AuxForm.h"

namespace kv {

class TPresentWarningForm : public TAuxForm {
public:
    explicit TPresentWarningForm(QWidget* mainForm) : TAuxForm(mainForm, "TPresentWarningForm", "Предупреждение") {}
};

}  // namespace kv
