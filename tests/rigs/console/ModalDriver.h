#pragma once
// Acts on a modal window from inside its own event loop: the test presses the key that opens
// it, and the action, waiting for it to be shown, answers it as the operator would.

#include <QApplication>
#include <QTimer>
#include <QWidget>

#include <functional>

namespace kv {

inline const char* const kModalActionName = "WhenModalAction";

// An action still waiting at a test's end would answer the next test's window.
inline void DropModalActions()
{
    for (QTimer* poll : qApp->findChildren<QTimer*>(kModalActionName, Qt::FindDirectChildrenOnly))
        delete poll;
}

// Runs act on the first active modal window of type T; gives up after timeoutMs.
template <typename T>
void WhenModal(std::function<void(T&)> act, int timeoutMs = 15000)
{
    // Owned by the application, so a window that never came leaves no timer behind at exit.
    auto* poll = new QTimer(qApp);
    poll->setObjectName(kModalActionName);
    auto waited = std::make_shared<int>(0);
    QObject::connect(poll, &QTimer::timeout, [poll, waited, act, timeoutMs] {
        *waited += poll->interval();
        if (auto* window = dynamic_cast<T*>(QApplication::activeModalWidget());
            window && window->isVisible()) {
            poll->stop();
            poll->deleteLater();
            act(*window);
        } else if (*waited > timeoutMs) {
            poll->stop();
            poll->deleteLater();
        }
    });
    poll->start(10);
}

}  // namespace kv
