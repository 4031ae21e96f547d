#pragma once
// A window the console creates once at start and keeps for the whole run; it carries a
// localizer under its class name.

#include "console/app/WidgetWindow.h"

#include <QDialog>

namespace kv {

class TAuxForm : public QDialog {
public:
    TAuxForm(QWidget* mainForm, const char* className, const QString& caption)
        : QDialog(mainForm), localization_(*this, className)
    {
        setObjectName(className);
        setWindowTitle(caption);
    }

    std::string ClassName() const { return localization_.ClassName(); }

protected:
    void CentreOnOwner()
    {
        if (QWidget* main = parentWidget())
            move(main->geometry().center() - rect().center());
    }

private:
    TWidgetWindow localization_;
};

}  // namespace kv
