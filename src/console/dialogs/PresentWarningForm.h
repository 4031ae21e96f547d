#pragma once
// Lists the modules that need the operator's decision before a write or verify.

#include "console/dialogs/AuxForm.h"

#include <string>
#include <vector>

class QLabel;
class QPlainTextEdit;

namespace kv {

class TPresentWarningForm : public TAuxForm {
public:
    explicit TPresentWarningForm(QWidget* mainForm);

    // Modal; true for "Продолжить".
    bool Ask(const std::string& message, const std::vector<int>& modules);

    QString Message() const;
    QString Modules() const;

private:
    QLabel* message_;
    QPlainTextEdit* modules_;
};

}  // namespace kv
