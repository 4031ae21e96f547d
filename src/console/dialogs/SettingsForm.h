#pragma once
// The settings window (menu "Сервис"): port, timecode source (and the zero in use),
// thresholds, the start and hold-to-fire keys (set by pressing them), MaxLateMs, go/no-go
// before the start, language, scale and palette. Modal: while it is open no key reaches the
// launch page.

#include "console/app/ConsoleSettings.h"
#include "console/dialogs/AuxForm.h"

#include <functional>
#include <string>
#include <vector>

class QButtonGroup;
class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QRadioButton;
class QSpinBox;

namespace kv {

class TSettingsForm : public TAuxForm {
public:
    // apply takes the settings the operator confirmed; an empty answer closes the window, a
    // text is shown in it, which stays open.
    TSettingsForm(QWidget* mainForm,
                  std::function<std::string(const TConsoleSettings&)> apply);

    // ports: the converters found; sources: the sound server's sources; timecodeZero: the
    // zero and rate the current slot's show takes, and whose they are.
    void Open(const TConsoleSettings& settings, const std::vector<std::string>& ports,
              const std::vector<std::string>& sources, const std::string& timecodeZero);
    bool Capturing() const { return capturing_ != nullptr; }

    void accept() override;
    void done(int result) override;

protected:
    // The key pressed to set a key is taken here before any other window or filter sees it.
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void Capture(QPushButton* button);
    void EndCapture();
    void ShowKeys();
    void ShowProblem(const QString& text);
    TConsoleSettings Chosen() const;

    std::function<std::string(const TConsoleSettings&)> apply_;
    TConsoleSettings shown_;
    int startKey_ = 0;
    int deadManKey_ = 0;
    QPushButton* capturing_ = nullptr;

    QComboBox* port_;
    QComboBox* source_;
    QLabel* timecodeZero_;
    QLineEdit* resistLo_;
    QLineEdit* resist_;
    QLineEdit* resistHi_;
    QLineEdit* maxLate_;
    QPushButton* startKeyBtn_;
    QPushButton* deadManKeyBtn_;
    QRadioButton* goNoGoOn_;
    QRadioButton* goNoGoOff_;
    QComboBox* language_;
    QSpinBox* scale_;
    QRadioButton* day_;
    QRadioButton* night_;
    QLabel* problem_;
};

}  // namespace kv
