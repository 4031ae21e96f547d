#pragma once
// The signals that end the program from outside (a kill, a closed session, Ctrl+C, Ctrl+Z or
// Ctrl+\ in the terminal that started it), taken on the main thread so that a show still
// running is stopped with its stop frames before the program goes.

#include <QObject>

#include <functional>

class QSocketNotifier;

namespace kv {

class TEndSignals : public QObject {
public:
    // onSignal runs on the main thread with the signal's number. One object at a time.
    explicit TEndSignals(std::function<void(int)> onSignal);
    ~TEndSignals() override;
    TEndSignals(const TEndSignals&) = delete;
    TEndSignals& operator=(const TEndSignals&) = delete;

private:
    void Take();

    std::function<void(int)> onSignal_;
    QSocketNotifier* notifier_ = nullptr;
};

}  // namespace kv
