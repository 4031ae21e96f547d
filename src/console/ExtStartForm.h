#pragma once
// Chooses how a show starts

#include "console/AuxForm.h"

namespace kv {

class TExtStartForm : public TAuxForm {
public:
    explicit TExtStartForm(QWidget* mainForm) : TAuxForm(mainForm, "TExtStartForm", " at a time of day or on an external start command.:Запуск") {}
};

}  // namespace kv
