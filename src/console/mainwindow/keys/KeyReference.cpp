#include "console/mainwindow/keys/KeyReference.h"

#include "console/dialogs/KeysForm.h"
#include "console/mainwindow/MainForm.h"

#include <QAction>
#include <QMenu>
#include <QMenuBar>

namespace kv {

void AddKeyReference(TMainForm& form, std::function<bool()> showAhead)
{
    auto* window = new TKeysForm(&form);
    auto* action = new QAction("Клавиши", &form);
    action->setObjectName("KeysAction");
    action->setShortcut(QKeySequence("Ctrl+K"));
    action->setShortcutContext(Qt::WindowShortcut);
    form.addAction(action);
    QMenu* menu = form.menuBar()->addMenu("Справка");
    menu->setObjectName("HelpMenu");
    menu->addAction(action);
    QObject::connect(action, &QAction::triggered, window, [&form, window, showAhead] {
        if (showAhead())
            return;
        const TConsoleSettings& settings = form.Settings();
        window->ShowKeys(settings.startKey, settings.deadManKey, form.actions());
        window->show();
        window->raise();
        window->activateWindow();
    });
}

}  // namespace kv
