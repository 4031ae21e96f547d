#pragma once
// The main window: it names the run log, reads kvshow.ini, owns the port object, the device
// registry, the eight project slots and the show player, ties their events to the display,
// and refuses to close while a show runs.

#include "console/app/ConsoleSettings.h"
#include "console/app/WidgetWindow.h"
#include "console/mainwindow/AuxForms.h"
#include "console/mainwindow/show/GoNoGoGate.h"
#include "link/FrameRecord.h"
#include "link/StationMessages.h"
#include "show/player/launch/StartGate.h"
#include "show/scenario/Projects.h"
#include "show/scenario/Timecode.h"
#include "support/platform/FilePlaces.h"
#include "support/text/IniFile.h"

#include <QMainWindow>

#include <array>
#include <functional>
#include <memory>
#include <optional>

class QAction;
class QKeyEvent;
class QLabel;
class QMenu;
class QStackedWidget;
class QTime;
class QTimer;

namespace kv {

class TChannelTest;
class TCommonControl;
class TCommonDevice;
class TControls;
class TDeadManSwitch;
class TDeviceColumn;
class TExtPlayer;
class TFileDialog;
class TLaunchPage;
class TPortProto;
class TQtTranslation;
class TViewState;
class TSlotMemory;
struct TKeptFile;
enum class TPaletteKind;
class TRehearsal;
class TRehearsalBanner;
class TSettingsForm;
class TShowSession;
struct TGoFinding;
struct TScenarioWarning;
struct TTimecodeSettings;
class TTestPage;
class TTimecodeArm;
class TTimecodeOutput;
class TTimecodeReceiver;
class TWarningForm;

class TMainForm : public QMainWindow {
public:
    explicit TMainForm(const TFilePlaces& places);
    ~TMainForm() override;

    // The warning window exists only after the main window; it is handed over once made.
    void SetWarningForm(TWarningForm* warning) { warning_ = warning; }
    void SetAuxForms(const TAuxForms& forms);

    const TConsoleSettings& Settings() const { return settings_; }
    const std::string& RunLogFile() const { return runLogFile_; }
    const TFilePlaces& Places() const { return places_; }
    int LaunchState() const { return launchState_; }
    int BatteryPercent() const { return batteryPercent_; }
    TExtPlayer& Player() { return *player_; }
    TProjects& Projects() { return projects_; }
    TPortProto& Port() { return *port_; }
    TControls& Controls() { return *controls_; }
    TLaunchPage& Launch() { return *launch_; }
    int CurrentSlot() const { return currentSlot_; }
    int ManualIndex() const { return manualIndex_; }
    int ManualPage() const { return manualPage_; }
    // Runs the PC power display now, as its timer does every 5 s.
    void PCPowerTimerTimer();
    // The system ends the program (signal: its number): a running show stops first.
    void EndBySignal(int signal);

protected:
    void showEvent(QShowEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    // The operator's keys, ahead of the focused control.
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    struct TSlotRecord {
        // The scenario or show package loaded from a file, kept across restarts; empty
        // for none or an imported show.
        std::string scenarioFile;
        std::string soundtrackFile;
        int32_t soundtrackLength = 0;
        uint8_t launchState = kLaunchIdle;
        uint8_t firingMode = 0;
        uint8_t controlMode = 0;
        // A show package's timecode zero and rate: a wait armed for this slot takes them.
        std::optional<TTimecodeLabel> timecodeZero;
        std::optional<TTimecodeRate> timecodeRate;
    };

    void BuildWindow();
    QAction* AddAction(const char* name, const QString& caption, const QKeySequence& keys);
    QTimer* AddTimer(const char* name, int intervalMs);
    // A line of its own under the launch page's indicators.
    QLabel* AddLaunchLine(const char* name);
    void FormCreate();
    void WireEvents();
    void FormShow();
    void FormClose();

    // Launch page (MainFormLaunch.cpp)
    void ConnectLaunchControls();
    void SoundBtnClick();
    void ProjectBtnClick();
    void StartBtnClick();
    void StopBtnClick();
    void BeginBtnClick();
    void ModeActionExecute();
    void ControlActionExecute();
    void TestBtnClick();
    void SwitchSlot(int slot);
    void SetStartPoint();
    void SoundtrackToStartPoint(int32_t start);
    void ToggleArming();
    void ChangeTempo(int delta);
    void ChangeOffset(int delta);
    void KeepSoundtrackInSlot();
    void ShowCueListOrKeyboard();
    // After the current slot's cues were loaded, unloaded or imported.
    void ScenarioReplaced();
    bool TestPageShown() const;
    bool ScenarioEmpty() const;

    // Enabling (MainFormButtons.cpp)
    bool StopAllowed();
    // The commands that switch every module's mode or boost.
    bool ModeCommandsAllowed() const;
    // What the start key needs, a timecode wait aside.
    bool StartAllowed() const;
    void UpdateButtons();
    void ActionListUpdate();
    void UpdateIndicators();

    // Player events and clocks (MainFormPlayer.cpp)
    void ShowProject();
    void ShowTime(int32_t time);
    void PlayerStateChanged();
    void RemoteStopReceived();
    void ChannelFired(int module, int channel);
    void ChannelChecked(int module, int channel);

    // Keyboard (MainFormKeys.cpp)
    struct TKeyPress {
        int key = 0;
        bool modified = false;  // with Ctrl, Alt, Shift or Meta
        bool autoRepeat = false;
    };
    // Keys the console's handler takes before any action does.
    bool KeptFromActions(const QKeyEvent& key) const;
    bool OwnKeyRefused(const QKeyEvent& key) const;
    bool RefusedWithModifier(int key) const;
    bool StopsShow(int key) const;
    // In every other window of the console F6 is its stop key, and Esc while a show runs;
    // true when the key was taken.
    bool StopKeyElsewhere(const QKeyEvent& key);
    bool EndsSearchOrTest(int key) const;
    bool ShortCut(const TKeyPress& press);
    bool GeneralKey(int key);
    bool TestPageKey(int key);
    bool ManualFireKey(int key);
    bool StepFireKey(int key);
    bool LaunchPageKey(int key);
    bool MoveCueRow(int step);

    // Manual firing keyboard (MainFormManual.cpp)
    bool ManualModuleValid() const;
    TCommonControl* ManualModule() const;
    void RefreshManualKeys();
    void ShowManualKey(int key, bool fromEvent);
    void ManualArrowKey(int key);
    // Logged also when no command could go out.
    void SetModuleBoost(TCommonControl& module, bool off);
    void SoundTimerTimer();
    QString ConverterText() const;

    // Device column and poll (MainFormDevices.cpp)
    void WireDevicePanels();
    void ResumeIdlePoll();
    void RebuildDeviceList();
    int RowOf(const TCommonDevice& device) const;
    int IndexOf(const TCommonDevice& device) const;
    void IdleTimerTimer();
    void ShowPolledDevice(const TCommonDevice& device);
    void ErrFlashTimerTimer();
    void ConverterLost();
    void ConverterBack();
    void ForEachFiringModule(const std::function<void(TCommonControl&)>& action);
    void SetBoostAll(bool off);
    void SetTestModeAll(bool on);
    // Bus search (MainFormSearch.cpp)
    void SearchBtnClick(bool start);
    void SearchProgress(int percent, int address);
    // Test page (MainFormTest.cpp)
    void WireTestPage();
    TCommonControl* SelectedModule() const;
    void MoveSelection(int step);
    void RedrawTestPanel();
    void ShowDetails();
    void RunChannelTest(bool all);
    void SaveChannels();
    void UpdateTestPageButtons();
    // Service panels (MainFormService.cpp)
    void WireServicePanels();
    void FillHVPanel();
    // The setting goes to the module once the operator has finished typing or turning it.
    void HVSettingCommitted();
    bool ServiceAllowed() const;
    void EnableServiceControls();
    void ChargeChannel(int row);
    void ChangeIdBtnClick();
    // Auxiliary windows (MainFormAuxForms.cpp, MainFormMemory.cpp, MainFormExtStart.cpp)
    void WireAuxForms();
    void SaveBtnClick();
    void CheckBtnClick();
    // The module lists before a write (or verify), each answered in the present-warning window.
    bool OperatorAllowsTransfer(bool write);
    // Modules that will not fire as the operator expects, before a start.
    bool OperatorAllowsStart();
    bool OperatorGoesOn(const std::vector<TScenarioWarning>& warnings);
    void RunMemoryOperation(const std::function<void()>& operation);
    void ClearMemActionExecute();
    void ReadMemLogActionExecute();
    void SavePDUActionExecute();
    void CheckPDUActionExecute();
    void ExtStartActionExecute();
    void TimedStart(const QTime& at);
    // Every start and every wait for one passes it. Without the converter no wait begins, a
    // lost one ends every wait, and a start onto a dead bus would fire its later cues once the
    // converter is back, at a moment nobody chose; a show the modules would fire with wrong
    // charges starts by no key nor wait.
    // Counting the stops heard from its making.
    TStartGate StartGate();
    // The countdown, the external start's wait and the timecode's; true when one ended.
    bool EndStartWaits();
    // Not beside a show, the music, a search, a channel test or a memory operation.
    bool DebugAllowed();
    void DebugActionExecute();
    // Timecode start (MainFormTimecode.cpp)
    void WireTimecode();
    bool TimecodeArmAllowed() const;
    // Armed: the timecode or the standby may start the show at any moment.
    bool StartAwaited() const;
    void TimecodeActionExecute();
    void ArmTimecode();
    // The receiver and its wait, made anew for other settings (MainFormSlotTimecode.cpp)
    void MakeTimecodeReceiver(const TTimecodeSettings& settings);
    // kvshow.ini's [timecode] with the current slot's package zero and rate over it.
    TTimecodeSettings SlotTimecode() const;
    // "01:00:00:00, 25, из пакета шоу": the zero and rate a wait armed now would take.
    std::string SlotTimecodeText() const;
    // Before the wait is armed, never under it or a show following the timecode.
    void UseSlotTimecode();
    void DisarmTimecode();
    // The operator's stop, or a change of what the wait waits for; true when a wait ended.
    bool EndWait();
    // True when the wait ended because the start it waited for is no longer there.
    bool EndOutlivedWait();
    void TimecodeReached();
    // The wait armed after the timecode passed the start point: said, nothing starts.
    void TimecodeRefused();
    void UpdateTimecodeAction();
    void ShowTimecode();
    // The standby (MainFormStandby.cpp): following another station's show, to take it over
    // when that station falls silent.
    void WireStandby();
    bool StandbyArmAllowed() const;
    // Armed and not the master yet: a wait for the start, as the timecode's.
    bool StandbyFollowing() const;
    // Following a show the primary runs: the stop key stops it, nothing lets the standby go.
    bool StandbyShowRunning() const;
    void StandbyActionExecute();
    void ArmStandby();
    void DisarmStandby();
    // The operator's stop while following: both stations stop, and this one takes nothing
    // over, since the primary's silence may be its obeying the stop.
    void StopFollowedShow();
    // The launch page's line, and the standby's end with the show it followed or took over.
    void WatchStandby();
    // The timecode sent of the show clock (Ctrl+T)
    void TimecodeOutActionExecute();
    void StartTimecodeOutput();
    void StopTimecodeOutput();
    void WatchTimecodeOutput();
    void TakeKeysBack();
    // Rehearsal on a model of the installation found (MainFormRehearsal.cpp)
    void WireRehearsal();
    // The settings window (MainFormSettings.cpp)
    void WireSettings();
    bool SettingsAllowed() const;
    void SettingsActionExecute();
    // An error's text, or empty once written and taken.
    std::string ApplySettings(const TConsoleSettings& chosen);
    void TakeSettings(const TConsoleSettings& chosen);
    void ShowStartKey();
    // The day and night palettes (MainFormPalette.cpp)
    void WirePalette();
    void ShowConsolePalette(TPaletteKind kind);
    void RehearsalActionExecute();
    void BeginRehearsal();
    void EndRehearsal();
    void RehearsalChanged();
    // Show packages (MainFormShow.cpp)
    void AddSaveShowAction(QMenu& menu);
    // A scenario or a show package into the current slot, as F2 loads it.
    void OpenScenarioFile(const std::string& file);
    void LoadShowPackage(const std::string& file);
    void SaveShowActionExecute();
    // The slots across restarts (MainFormSlots.cpp)
    void KeepSlotFiles();
    // A file changed since is asked about; one gone is added to gone.
    bool KeptFileUsable(const TKeptFile& kept, std::string& gone);
    void RestoreSlots();
    // Show scripts of design programs (MainFormImport.cpp)
    void AddImportMenu();
    bool ImportAllowed() const;
    void ImportActionExecute();
    // Positions of the show locked out (MainFormLockout.cpp)
    void LockoutActionExecute();
    void MarkLockedCues();
    // The hold-to-fire key (MainFormDeadMan.cpp)
    void WireDeadMan();
    void ShowDeadMan();
    void DeadManChanged();
    // Off, or held; logged when not.
    bool DeadManLetsStart();
    // The go/no-go check (MainFormGoNoGo.cpp)
    std::vector<TGoFinding> GoNoGoFindings();
    void GoNoGoActionExecute();
    void ShowGoNoGo(const std::vector<TGoFinding>& findings);
    // Before every start the operator sets going: false while the window has lines the
    // operator has not closed it on (it comes up; the start is off).
    bool GoNoGoLetsStart();
    // Report windows (MainFormReports.cpp)
    void AddReportMenu();
    void WireReports();
    void FiringReportActionExecute();
    void ContinuityActionExecute();
    // After a stop, beside the main window, which keeps the keys.
    void ShowReportAfterStop();
    // Visible reports follow the checks, the channel test, the search and the scenario.
    void RefreshReports();
    void HideReports();
    // Esc on the console when no show runs; true when one was shown.
    bool CloseReports();

    TWidgetWindow localization_{*this, "TMainForm"};
    TIniFile ini_;
    std::unique_ptr<TQtTranslation> qtTexts_;
    std::unique_ptr<TViewState> viewState_;
    std::unique_ptr<TSlotMemory> slotMemory_;
    QAction* nightAction_ = nullptr;
    // In effect now; and as the settings file has them, a restart's values included.
    TConsoleSettings settings_;
    TConsoleSettings settingsInFile_;
    TSettingsForm* settingsForm_ = nullptr;
    QString startCaption_;
    TFilePlaces places_;
    std::string runLogFile_;

    TProjects projects_;
    int currentSlot_ = 0;
    std::array<TSlotRecord, TProjects::kSlotCount> slotRecords_;
    std::unique_ptr<TShowSession> session_;
    // The session's, under the names every handler uses.
    TPortProto* port_ = nullptr;
    TControls* controls_ = nullptr;
    TExtPlayer* player_ = nullptr;

    uint8_t launchState_ = kLaunchIdle;
    bool searching_ = false;
    bool testRunning_ = false;
    bool converterFault_ = false;
    bool shown_ = false;
    bool endingBySignal_ = false;
    int flashPhase_ = 0;
    int batteryPercent_ = 100;
    int pollIndex_ = 0;
    int manualIndex_ = -1;
    int manualPage_ = 0;
    int selectedIndex_ = -1;
    // From the first question before a memory operation to its report.
    bool memoryOperation_ = false;
    // Stops heard on the bus, so that a start prepared meanwhile is called off.
    int remoteStops_ = 0;
    std::unique_ptr<TChannelTest> channelTest_;
    std::unique_ptr<TRehearsal> rehearsal_;
    std::unique_ptr<TTimecodeReceiver> timecode_;
    std::unique_ptr<TTimecodeArm> timecodeArm_;
    std::optional<TStartGate> timecodeGate_;  // counting stops from the wait's arming
    std::optional<TStartGate> standbyGate_;
    bool standbyAsked_ = false;  // the go/no-go before the standby is armed
    QAction* standbyAction_ = nullptr;
    QLabel* standbyLabel_ = nullptr;
    QTimer* standbyTimer_ = nullptr;
    TGoNoGoGate goNoGoGate_;
    TDeadManSwitch* deadMan_ = nullptr;
    QLabel* deadManLabel_ = nullptr;
    QLabel* timecodeLabel_ = nullptr;
    QTimer* timecodeTimer_ = nullptr;
    std::unique_ptr<TTimecodeOutput> timecodeOut_;
    QAction* timecodeOutAction_ = nullptr;
    QTimer* timecodeOutTimer_ = nullptr;

    TDeviceColumn* devices_ = nullptr;
    QStackedWidget* pages_ = nullptr;
    TLaunchPage* launch_ = nullptr;
    TTestPage* test_ = nullptr;
    QLabel* labelVer_ = nullptr;
    TWarningForm* warning_ = nullptr;
    TAuxForms aux_;
    TRehearsalBanner* rehearsalBanner_ = nullptr;

    // The file dialogs, their filters from the language file.
    TFileDialog* openScenarioDialog_ = nullptr;
    TFileDialog* openSoundDialog_ = nullptr;
    TFileDialog* saveChannelsDialog_ = nullptr;
    TFileDialog* saveShowDialog_ = nullptr;

    QTimer* idleTimer_ = nullptr;
    QTimer* errFlashTimer_ = nullptr;
    QTimer* soundTimer_ = nullptr;
    QTimer* pcPowerTimer_ = nullptr;
    QAction* exitAction_ = nullptr;
    QAction* controlAction_ = nullptr;
    QAction* modeAction_ = nullptr;
    QAction* extStartAction_ = nullptr;
    QAction* clearMemAction_ = nullptr;
    QAction* readMemLogAction_ = nullptr;
    QAction* savePduAction_ = nullptr;
    QAction* checkPduAction_ = nullptr;
    QAction* powerUpGlobal_ = nullptr;
    QAction* powerDownGlobal_ = nullptr;
    QAction* debugAction_ = nullptr;
    QAction* rehearsalAction_ = nullptr;
    QAction* firingReportAction_ = nullptr;
    QAction* continuityAction_ = nullptr;
    QAction* timecodeAction_ = nullptr;
    QAction* importAction_ = nullptr;
    QAction* lockoutAction_ = nullptr;
    QAction* goNoGoAction_ = nullptr;
    QAction* saveShowAction_ = nullptr;
};

}  // namespace kv
