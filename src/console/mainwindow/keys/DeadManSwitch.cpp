#include "console/mainwindow/keys/DeadManSwitch.h"

#include "console/mainwindow/keys/VirtualKeys.h"

#include <QCoreApplication>
#include <QKeyEvent>

namespace kv {

TDeadManSwitch::TDeadManSwitch(QObject* parent, int key, std::function<void()> changed)
    : QObject(parent), key_(0), changed_(std::move(changed))
{
    SetKey(key);
}

void TDeadManSwitch::SetKey(int key)
{
    Set(false);
    key_ = key;
    // Ahead of every window's own filters: the key reaches the switch under any dialog.
    if (On() && !watching_) {
        QCoreApplication::instance()->installEventFilter(this);
        watching_ = true;
    }
}

bool TDeadManSwitch::eventFilter(QObject* watched, QEvent* event)
{
    const QEvent::Type type = event->type();
    if (!On())
        return QObject::eventFilter(watched, event);
    if (type == QEvent::ApplicationStateChange) {
        // A key released while another program has the keyboard never reaches us.
        if (static_cast<QApplicationStateChangeEvent*>(event)->applicationState() !=
            Qt::ApplicationActive)
            Set(false);
        return QObject::eventFilter(watched, event);
    }
    if (type != QEvent::KeyPress && type != QEvent::KeyRelease &&
        type != QEvent::ShortcutOverride)
        return QObject::eventFilter(watched, event);
    const auto& key = static_cast<const QKeyEvent&>(*event);
    if (VirtualKey(key) != key_)
        return QObject::eventFilter(watched, event);
    // The keyboard's repeats come as release and press pairs while the key stays down.
    if (type != QEvent::ShortcutOverride && !key.isAutoRepeat())
        Set(type == QEvent::KeyPress);
    // The switch's key does nothing else: not fire a channel by hand, not start, not close a
    // warning. Taken from the shortcuts too, so that its press comes.
    event->accept();
    return true;
}

void TDeadManSwitch::Set(bool held)
{
    if (held == held_)
        return;
    held_ = held;
    changed_();
}

}  // namespace kv
