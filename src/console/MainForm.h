#pragma once
// The main window: it names the run log, reads kvshow.ini, owns the port object, the device
// registry, the eight project slots and the show player, ties their events to the display,
// and refuses to close while a show runs.

#include "console/ConsoleSettings.h"
#include "console/WidgetWindow.h"
#include "link/FrameRecord.h"
#include "show/Projects.h"
#include "support/IniFile.h"

#include <QMainWindow>

#include <array>
#include <memory>

class QAction;
class QLabel;
class QStackedWidget;
class QTimer;

namespace kv {

class TControls;
class TDeviceColumn;
class TExtPlayer;
class TLaunchPage;
class TPortProto;
class TTestPage;
class TWarningForm;

enum TLaunchState : uint8_t { kLaunchIdle = 0, kLaunchReady = 1, kLaunchRunning = 2 };

class TMainForm : public QMainWindow {
public:
    // appFolder holds kvshow.ini and logs/ (the program's folder, with a trailing "/").
    explicit TMainForm(const std::string& appFolder);
    ~TMainForm() override;

    // The warning window exists only after the main window; it is handed over once made.
    void SetWarningForm(TWarningForm* warning) { warning_ = warning; }

    const TConsoleSettings& Settings() const { return settings_; }
    const std::string& RunLogFile() const { return runLogFile_; }
    int LaunchState() const { return launchState_; }
    int BatteryPercent() const { return batteryPercent_; }
    TExtPlayer& Player() { return *player_; }
    TProjects& Projects() { return projects_; }
    TPortProto& Port() { return *port_; }
    TControls& Controls() { return *controls_; }
    TLaunchPage& Launch() { return *launch_; }
    // Runs the PC power display now, as its timer does every 5 s.
    void PCPowerTimerTimer();

protected:
    void showEvent(QShowEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

private:
    struct TSlotRecord {
        std::string soundtrackFile;
        int32_t soundtrackLength = 0;
    };

    void BuildWindow();
    QAction* AddAction(const char* name, const QString& caption, const QKeySequence& keys);
    QTimer* AddTimer(const char* name, int intervalMs);
    void FormCreate(const std::string& appFolder);
    void WireEvents();
    void FormShow();
    void FormClose();
    void UpdateActions();
    void UpdateIndicators();
    void ShowProject();
    void ShowTime(int32_t time);
    void PlayerStateChanged();
    void RemoteStopReceived();
    void FrameReceived(const TFrameRecord& frame, int converter);
    void ConverterLost();
    void ConverterBack();
    void ErrFlashTimerTimer();
    void SoundTimerTimer();
    QString ConverterText() const;

    TWidgetWindow localization_{*this, "TMainForm"};
    TIniFile ini_;
    TConsoleSettings settings_;
    std::string runLogFile_;

    std::unique_ptr<TPortProto> port_;
    std::unique_ptr<TControls> controls_;
    TProjects projects_;
    int currentSlot_ = 0;
    std::array<TSlotRecord, TProjects::kSlotCount> slotRecords_;
    std::unique_ptr<TExtPlayer> player_;

    uint8_t launchState_ = kLaunchIdle;
    bool searching_ = false;
    bool testRunning_ = false;
    bool converterFault_ = false;
    bool shown_ = false;
    int flashPhase_ = 0;
    int batteryPercent_ = 100;

    TDeviceColumn* devices_ = nullptr;
    QStackedWidget* pages_ = nullptr;
    TLaunchPage* launch_ = nullptr;
    TTestPage* test_ = nullptr;
    QLabel* labelVer_ = nullptr;
    TWarningForm* warning_ = nullptr;

    QTimer* idleTimer_ = nullptr;
    QTimer* errFlashTimer_ = nullptr;
    QTimer* soundTimer_ = nullptr;
    QTimer* pcPowerTimer_ = nullptr;
    QAction* exitAction_ = nullptr;
};

}  // namespace kv
