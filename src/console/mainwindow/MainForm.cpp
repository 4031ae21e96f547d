#include "console/mainwindow/MainForm.h"

#include "audio/AudioLibrary.h"
#include "console/app/DialogFolder.h"
#include "console/app/QtTranslation.h"
#include "console/app/SlotMemory.h"
#include "console/app/ViewState.h"
#include "console/dialogs/WarningForm.h"
#include "console/mainwindow/keys/KeyReference.h"
#include "console/panels/devices/DeviceColumn.h"
#include "console/panels/test/HVPanel.h"
#include "console/panels/launch/IndicatorStrip.h"
#include "console/panels/launch/LaunchPage.h"
#include "console/panels/banners/LogTroubleNotice.h"
#include "console/panels/launch/PowerIndicator.h"
#include "console/panels/banners/RehearsalBanner.h"
#include "console/panels/launch/SlotStrip.h"
#include "console/panels/test/TestPage.h"
#include "console/panels/launch/TimePanel.h"
#include "console/widgets/Colors.h"
#include "console/widgets/Fonts.h"
#include "console/widgets/Shape.h"
#include "console/widgets/Widgets.h"
#include "devices/readiness/ChannelTest.h"
#include "devices/registry/Controls.h"
#include "field/rehearsal/Rehearsal.h"
#include "link/PortProto.h"
#include "show/player/ExtPlayer.h"
#include "show/session/ShowSession.h"
#include "show/timecode/TimecodeArm.h"
#include "show/timecode/TimecodeOutput.h"
#include "show/timecode/TimecodeReceiver.h"
#include "support/lang/AddedMessages.h"
#include "support/text/Conversions.h"
#include "support/lang/LanguageChoice.h"
#include "support/lang/Localizer.h"
#include "support/log/LogNaming.h"
#include "support/platform/Platform.h"
#include "support/log/RunLog.h"

#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QSpinBox>
#include <QStackedWidget>
#include <QVBoxLayout>
#include <QTimer>

#include <cstring>

namespace kv {

namespace {

const std::string kBannerLine(45, '-');
const std::string kClosingLine(44, '-');

}  // namespace

TMainForm::TMainForm(const TFilePlaces& places) : places_(places)
{
    // Fonts and sizes follow the scale: read before any control is made.
    ini_ = TIniFile::Load(places_.settingsFile);
    settings_ = ReadConsoleSettings(ini_);
    SetConsoleScale(settings_.scale);
    setWindowTitle("Управление запуском");
    BuildWindow();
    FormCreate();
    qApp->installEventFilter(this);
    // After the window's own filter: the switch sees its key first.
    WireDeadMan();
}

TMainForm::~TMainForm()
{
    qApp->removeEventFilter(this);
    KeepDialogFolderIn(nullptr);
    // Stopping the port pumps messages: the wait must not start a show in the window's end.
    timecodeArm_->Disarm();
    // The field loses the focus as the window goes: that is no operator's commit.
    test_->hvPanel->seHVE->disconnect(this);
    // No frame may reach the registry or the player while they go.
    port_->Stop();
}

void TMainForm::BuildWindow()
{
    auto* central = new QWidget(this);
    setCentralWidget(central);
    devices_ = new TDeviceColumn(central);
    pages_ = new QStackedWidget(central);
    launch_ = new TLaunchPage(pages_);
    test_ = new TTestPage(pages_);
    pages_->addWidget(launch_);
    pages_->addWidget(test_);
    labelVer_ = MakeLabel(devices_, "LabelVer", "");
    labelVer_->setWordWrap(true);
    devices_->layout()->addWidget(labelVer_);
    auto* column = new QVBoxLayout(central);
    rehearsalBanner_ = new TRehearsalBanner(central);
    column->addWidget(rehearsalBanner_);
    column->addWidget(new TLogTroubleNotice(central));
    auto* row = new QHBoxLayout;
    column->addLayout(row, 1);
    row->addWidget(devices_);
    row->addWidget(pages_, 1);

    // Set up disabled: they come alive with their handlers.
    controlAction_ = AddAction("ControlAction", "Прямое упр. / Автономный", QKeySequence("Shift+F1"));
    modeAction_ = AddAction("ModeAction", "Автомат / Ручной", QKeySequence("Ctrl+F1"));
    extStartAction_ = AddAction("ExtStartAction", "Запуск", QKeySequence("Ctrl+F5"));
    clearMemAction_ = AddAction("ClearMemAction", "Удаление сценария", QKeySequence("Ctrl+F8"));
    readMemLogAction_ =
        AddAction("ReadMemLogAction", "Чтение черного ящика", QKeySequence("Ctrl+F9"));
    savePduAction_ = AddAction("SavePDUAction", "Запись в ПДУ(Р)", QKeySequence("Shift+F8"));
    checkPduAction_ = AddAction("CheckPDUAction", "Проверка в ПДУ(Р)", QKeySequence("Shift+F9"));
    powerUpGlobal_ = AddAction("PowerUpGlobal", "Форсирование включить", QKeySequence("Ctrl+Ins"));
    powerDownGlobal_ =
        AddAction("PowerDownGlobal", "Форсирование выключить", QKeySequence("Ctrl+Del"));
    debugAction_ = AddAction("DebugAction", "Отладка", QKeySequence("Ctrl+Alt+D"));
    exitAction_ = AddAction("ExitAction", "Выход", QKeySequence("Ctrl+Alt+X"));
    rehearsalAction_ = AddAction("RehearsalAction", "Репетиция", QKeySequence("Ctrl+F10"));
    timecodeAction_ =
        AddAction("TimecodeAction", "Запуск по таймкоду", QKeySequence("Shift+F5"));
    standbyAction_ = AddAction("StandbyAction", "Резерв", QKeySequence("Ctrl+R"));
    connect(exitAction_, &QAction::triggered, this, &QWidget::close);
    AddReportMenu();
    AddImportMenu();

    idleTimer_ = AddTimer("IdleTimer", 500);
    errFlashTimer_ = AddTimer("ErrFlashTimer", 700);
    soundTimer_ = AddTimer("SoundTimer", 200);
    pcPowerTimer_ = AddTimer("PCPowerTimer", 5000);
    connect(soundTimer_, &QTimer::timeout, this, [this] { SoundTimerTimer(); });
    connect(pcPowerTimer_, &QTimer::timeout, this, [this] { PCPowerTimerTimer(); });
    ConnectLaunchControls();
}

QAction* TMainForm::AddAction(const char* name, const QString& caption, const QKeySequence& keys)
{
    auto* action = new QAction(caption, this);
    action->setObjectName(name);
    action->setShortcut(keys);
    action->setShortcutContext(Qt::WindowShortcut);
    action->setEnabled(false);
    addAction(action);
    return action;
}

QTimer* TMainForm::AddTimer(const char* name, int intervalMs)
{
    auto* timer = new QTimer(this);
    timer->setObjectName(name);
    timer->setInterval(intervalMs);
    return timer;
}

QLabel* TMainForm::AddLaunchLine(const char* name)
{
    auto* label = new QLabel(launch_);
    label->setObjectName(name);
    if (auto* column = qobject_cast<QVBoxLayout*>(launch_->layout()))
        column->insertWidget(1, label);
    return label;
}

void TMainForm::FormCreate()
{
    SetLogLevel(1);
    SetRecordsFolder(places_.stateFolder);
    runLogFile_ = StartRunLog(places_, LocalTimeNow());
    const TLanguageChoice language =
        ChooseLanguage(SettingsFolder(places_), settings_.language, MessagesLocale());
    SetLanguageFile(language.file);
    qtTexts_ = std::make_unique<TQtTranslation>(QtLanguage(language));
    WriteLog(kBannerLine);
    WriteLog(Localize(0, " ") + AppVersionText());
    WriteLog(kBannerLine);

    std::string problem;
    session_ = std::make_unique<TShowSession>(
        TShowSession::TSettings{settings_.port, settings_.maxLateMs, settings_.thresholds}, problem);
    if (!problem.empty())
        WriteLog(problem);
    port_ = &session_->Port();
    controls_ = &session_->Controls();
    player_ = &session_->Player();
    TShowSetup setup = player_->Setup();
    setup.scenario = projects_.Project(currentSlot_);
    // A player just made plays no show.
    static_cast<void>(player_->Configure(setup));
    player_->LaunchState = [this] { return static_cast<int>(launchState_); };
    viewState_ = std::make_unique<TViewState>(places_.stateFolder + "kvshow.state");
    KeepDialogFolderIn(viewState_.get());
    slotMemory_ = std::make_unique<TSlotMemory>(*viewState_);
    WireEvents();
    if (AudioAvailable())
        soundTimer_->start();
    else
        WriteLog(Localize(1, "Ошибка инициализации аудио-устройства"));

    session_->Start();
    launch_->indicators->rs485Label->setText(ConverterText());
}

void TMainForm::WireEvents()
{
    player_->OnTime = [this](int32_t time) { ShowTime(time); };
    player_->OnStateChange = [this] { PlayerStateChanged(); };
    player_->OnRemoteStop = [this] { RemoteStopReceived(); };
    player_->OnChecked = [this](int module, int channel) { ChannelChecked(module, channel); };
    player_->OnFired = [this](int module, int channel) { ChannelFired(module, channel); };
    session_->OnConverterLost = [this] { ConverterLost(); };
    session_->OnConverterBack = [this] { ConverterBack(); };
    WireDevicePanels();
    WireRehearsal();
    WirePalette();
    WireSettings();
    WireTimecode();
    WireStandby();
    // The last menu, as "Справка" stands in every program.
    AddKeyReference(*this, [this] {
        return player_->IsRunning() || StartAwaited() || launchState_ == kLaunchRunning;
    });
}

void TMainForm::showEvent(QShowEvent* event)
{
    QMainWindow::showEvent(event);
    if (!shown_) {
        shown_ = true;
        FormShow();
    }
}

void TMainForm::FormShow()
{
    TranslateAll();
    const std::string version = AppVersionText();
    setWindowTitle(QString::fromStdString(
        Localize(7, "Управление запуском (версия:") + " " + version + ")"));
    labelVer_->setText(QString::fromStdString(
        Localize(8, "версия:") + " " + version + " " + Localize(9, "(расширенная специальная)") +
        "\n" + Localize(kMsgSettingsPlace) + " " + places_.settingsFile + "\n" +
        Localize(kMsgRecordsPlace) + " " + RecordsFolder()));
    if (!searching_)
        idleTimer_->start();
    errFlashTimer_->start();
    UpdateButtons();
    ShowProject();
    startCaption_ = launch_->startBtn->text();
    ShowStartKey();
    pcPowerTimer_->start();
    PCPowerTimerTimer();
    RestoreSlots();
}

void TMainForm::closeEvent(QCloseEvent* event)
{
    if (player_->IsRunning()) {
        event->ignore();
        return;
    }
    // The repeats of a stop not taken end with the program, and the modules play on from
    // their memory. A signal leaves nobody to answer.
    if (player_->StopOwed() && !endingBySignal_ &&
        Platform().MessageBox(Localize(kMsgExitWithStopOwed), Localize(59, "Подтверждение"),
                              TButtons::YesNo) != TAnswer::Yes) {
        event->ignore();
        return;
    }
    FormClose();
    event->accept();
}

void TMainForm::FormClose()
{
    EndWait();
    // The log must not leave the last shots looking as if fired on the real bus.
    if (rehearsal_->Active())
        EndRehearsal();
    WriteLog(kClosingLine);
    WriteLog(Localize(60, "Выход из программы"));
    WriteLog(kClosingLine);
}

void TMainForm::EndBySignal(int signal)
{
    const char* name = sigabbrev_np(signal);
    WriteLog(Localize(kMsgEndedBySignal) + " SIG" + (name ? name : std::to_string(signal)));
    endingBySignal_ = true;
    // Nobody is left at the window to press the stop key: the show and its music stop now.
    if (player_->IsRunning())
        player_->Stop(true);
    close();
    QApplication::quit();
}

void TMainForm::PCPowerTimerTimer()
{
    TPowerStatus status;
    const bool known = Platform().PowerStatus(status);
    batteryPercent_ = launch_->indicators->power->Show(known ? &status : nullptr);
}

QString TMainForm::ConverterText() const
{
    return "RS485: " + QString::number(port_->ConverterCount());
}

}  // namespace kv
