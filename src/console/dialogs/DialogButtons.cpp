#include "console/dialogs/DialogButtons.h"

#include "console/widgets/Fonts.h"
#include <QDialog>
#include <QHBoxLayout>
#include <QPushButton>

namespace kv {

namespace {

QPushButton* DialogButton(QDialog& dialog, const char* name, const QString& text)
{
    auto* button = new QPushButton(text, &dialog);
    button->setObjectName(name);
    button->setMinimumWidth(Scaled(90));
    return button;
}

}  // namespace

QHBoxLayout* AddDialogButtons(QDialog& dialog, const char* okName, const QString& okText,
                              const char* cancelName, const QString& cancelText)
{
    auto* row = new QHBoxLayout;
    row->addStretch(1);
    if (okName) {
        QPushButton* ok = DialogButton(dialog, okName, okText);
        ok->setDefault(true);
        QObject::connect(ok, &QPushButton::clicked, &dialog, &QDialog::accept);
        row->addWidget(ok);
    }
    QPushButton* cancel = DialogButton(dialog, cancelName, cancelText);
    cancel->setDefault(!okName);
    QObject::connect(cancel, &QPushButton::clicked, &dialog, &QDialog::reject);
    row->addWidget(cancel);
    return row;
}

}  // namespace kv
