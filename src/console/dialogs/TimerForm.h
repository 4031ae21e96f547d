#pragma once
// Counts down to a timed start, or up while an external start is awaited.

#include "console/dialogs/AuxForm.h"

#include <cstdint>
#include <functional>
#include <optional>
#include <string>

class QLabel;
class QTimer;

namespace kv {

class TTimerForm : public TAuxForm {
public:
    static constexpr int kStepMs = 100;

    explicit TTimerForm(QWidget* mainForm);

    // Modal; true when the time has come, false on "Отмена".
    bool CountDown(const std::string& topLine, int64_t remainingMs);
    // Modal; true once started() says so, false on "Отмена".
    bool CountUp(const std::string& topLine, std::function<bool()> started);

    QString ClockText() const;

protected:
    void showEvent(QShowEvent* event) override;
    void hideEvent(QHideEvent* event) override;

private:
    bool Wait(const std::string& topLine);
    void Step();

    QLabel* topLine_;
    QLabel* clock_;
    QTimer* timer_;
    uint32_t startTick_ = 0;
    std::optional<uint32_t> targetTick_;
    std::function<bool()> started_;
};

}  // namespace kv
