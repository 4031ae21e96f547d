#include "console/MainForm.h"

#include "devices/CheckedChannel.h"

#include "console/Colors.h"
#include "console/DeviceColumn.h"
#include "console/IndicatorStrip.h"
#include "console/LaunchPage.h"
#include "console/MotorWord.h"
#include "console/PowerIndicator.h"
#include "console/Shape.h"
#include "console/SlotStrip.h"
#include "console/TestPage.h"
#include "console/TimePanel.h"
#include "console/WarningForm.h"
#include "console/Widgets.h"
#include "audio/AudioLibrary.h"
#include "devices/CheckedChannel.h"
#include "devices/Controls.h"
#include "field/TransportChoice.h"
#include "link/PortProto.h"
#include "show/ExtPlayer.h"
#include "support/Conversions.h"
#include "support/Localizer.h"
#include "support/LogNaming.h"
#include "support/RunLog.h"

#include <QAction>
#include <QCloseEvent>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QStackedWidget>
#include <QTimer>
#include <QTreeWidget>

#include <algorithm>

namespace kv {

namespace {

const std::string kBannerLine(45, '-');
const std::string kClosingLine(44, '-');
constexpr int kReplyTimeoutMs = 70;

QString Clock(int64_t ms)
{
    return QString::fromStdString(ClockText(ms, 1));
}

}  // namespace

TMainForm::TMainForm(const std::string& appFolder)
{
    setWindowTitle("Управление запуском");
    BuildWindow();
    FormCreate(appFolder);
}

TMainForm::~TMainForm()
{
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
    auto* row = new QHBoxLayout(central);
    row->addWidget(devices_);
    row->addWidget(pages_, 1);

    // Set up disabled: they come alive with their handlers.
    AddAction("ControlAction", "Прямое упр. / Автономный", QKeySequence("Shift+F1"));
    AddAction("ModeAction", "Автомат / Ручной", QKeySequence("Ctrl+F1"));
    AddAction("ExtStartAction", "Запуск", QKeySequence("Ctrl+F5"));
    AddAction("ClearMemAction", "Удаление сценария", QKeySequence("Ctrl+F8"));
    AddAction("ReadMemLogAction", "Чтение черного ящика", QKeySequence("Ctrl+F9"));
    AddAction("SavePDUAction", "Запись в ПДУ(Р)", QKeySequence("Shift+F8"));
    AddAction("CheckPDUAction", "Проверка в ПДУ(Р)", QKeySequence("Shift+F9"));
    AddAction("PowerUpGlobal", "Форсирование включить", QKeySequence("Ctrl+Ins"));
    AddAction("PowerDownGlobal", "Форсирование выключить", QKeySequence("Ctrl+Del"));
    AddAction("DebugAction", "Отладка", QKeySequence("Ctrl+Alt+D"));
    exitAction_ = AddAction("ExitAction", "Выход", QKeySequence("Ctrl+Alt+X"));
    connect(exitAction_, &QAction::triggered, this, &QWidget::close);

    idleTimer_ = AddTimer("IdleTimer", 500);
    errFlashTimer_ = AddTimer("ErrFlashTimer", 700);
    soundTimer_ = AddTimer("SoundTimer", 200);
    pcPowerTimer_ = AddTimer("PCPowerTimer", 5000);
    connect(errFlashTimer_, &QTimer::timeout, this, [this] { ErrFlashTimerTimer(); });
    connect(soundTimer_, &QTimer::timeout, this, [this] { SoundTimerTimer(); });
    connect(pcPowerTimer_, &QTimer::timeout, this, [this] { PCPowerTimerTimer(); });
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

void TMainForm::FormCreate(const std::string& appFolder)
{
    SetLogLevel(1);
    runLogFile_ = StartRunLog(appFolder, LocalTimeNow());
    ini_ = TIniFile::Load(appFolder + "kvshow.ini");
    settings_ = ReadConsoleSettings(ini_);
    WriteLog(kBannerLine);
    WriteLog(Localize(0, " ") + AppVersionText());
    WriteLog(kBannerLine);

    std::string problem;
    port_ = std::make_unique<TPortProto>(MakeTransport(settings_.port, &problem));
    if (!problem.empty())
        WriteLog(problem);
    controls_ = std::make_unique<TControls>(*port_);
    player_ = std::make_unique<TExtPlayer>(*controls_, *port_);
    player_->scenario = projects_.Project(currentSlot_);
    player_->thresholds = settings_.thresholds;
    player_->LaunchState = [this] { return static_cast<int>(launchState_); };
    WireEvents();
    if (AudioAvailable())
        soundTimer_->start();
    else
        WriteLog(Localize(1, "Ошибка инициализации аудио-устройства"));

    port_->ReplyTimeout = kReplyTimeoutMs;
    port_->Start();
    launch_->indicators->rs485Label->setText(ConverterText());
}

void TMainForm::WireEvents()
{
    player_->OnTime = [this](int32_t time) { ShowTime(time); };
    player_->OnStateChange = [this] { PlayerStateChanged(); };
    player_->OnRemoteStop = [this] { RemoteStopReceived(); };
    player_->OnChecked = [this](int module, int channel) {
        if (controls_->FindByAddress(module))
            WriteLog(CheckedChannelLogLine(*controls_, module, channel));
    };
    port_->OnFrameFrom = [this](const TFrameRecord& frame, int converter) {
        FrameReceived(frame, converter);
    };
    port_->OnConverterLost = [this] { ConverterLost(); };
    port_->OnConverterBack = [this] { ConverterBack(); };
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
    labelVer_->setText(QString::fromStdString(Localize(8, "версия:") + " " + version + " " +
                                              Localize(9, "(расширенная специальная)")));
    if (!searching_)
        idleTimer_->start();
    errFlashTimer_->start();
    UpdateActions();
    ShowProject();
    if (settings_.startKey == kKeySpace)
        launch_->startBtn->setText("<SPACE> Старт");
    launch_->cueList->setFocus();
    pcPowerTimer_->start();
    PCPowerTimerTimer();
}

void TMainForm::closeEvent(QCloseEvent* event)
{
    if (player_->IsRunning()) {
        event->ignore();
        return;
    }
    FormClose();
    event->accept();
}

void TMainForm::FormClose()
{
    WriteLog(kClosingLine);
    WriteLog(Localize(60, "Выход из программы"));
    WriteLog(kClosingLine);
}

void TMainForm::UpdateActions()
{
    exitAction_->setEnabled(!testRunning_ && !searching_ && launchState_ == kLaunchIdle);
    UpdateIndicators();
}

void TMainForm::UpdateIndicators()
{
    TIndicatorStrip& strip = *launch_->indicators;
    strip.wait.label->setText(QString::fromStdString(
        searching_ ? Localize(24, "Поиск...") : Localize(25, "Ожидание")));
    const bool shown = !searching_ && !testRunning_;
    const uint8_t firing = player_->firingMode;
    strip.workAuto.SetLit(shown && firing != kFiringManual);
    strip.workManual.SetLit(shown && firing != kFiringAutomatic);
    strip.wait.SetLit(shown && launchState_ == kLaunchIdle);
    strip.work.SetLit(shown && launchState_ != kLaunchIdle);
    strip.direct.SetLit(shown && player_->controlMode == kControlDirect);
    strip.autonomous.SetLit(shown && player_->controlMode == kControlAutonomous);
}

void TMainForm::ShowProject()
{
    for (int slot = 0; slot < TProjects::kSlotCount; ++slot)
        launch_->slotStrip->ShowSlot(slot, projects_.Project(slot)->Duration(),
                                 slotRecords_[static_cast<size_t>(slot)].soundtrackLength,
                                 slot == currentSlot_);
    const TProjectList& scenario = *projects_.Project(currentSlot_);
    launch_->timePanel->projectName->setText(QString::fromStdString(scenario.Name()));
    launch_->cueList->clear();
    QList<QTreeWidgetItem*> rows;
    for (const TCue& cue : scenario.Cues()) {
        const QString channel = cue.IsMotor() ? QString::fromStdString(MotorWord(cue.kind))
                                              : QString::number(cue.channel + 1);
        rows << new QTreeWidgetItem(QStringList{QString::fromStdString(cue.timeText),
                                                QString::number(cue.module), channel,
                                                QString::fromStdString(cue.note)});
    }
    launch_->cueList->addTopLevelItems(rows);
    scenario.MarkUsedChannels(*controls_);
}

void TMainForm::ShowTime(int32_t time)
{
    const int32_t clock = std::max(time, 0);
    launch_->timePanel->time->setText(Clock(clock));
    const TProjectList& scenario = *projects_.Project(currentSlot_);
    QTreeWidget& list = *launch_->cueList;
    const int next = player_->nextCue;
    if (scenario.Count() > 0 && next < scenario.Count() && next < list.topLevelItemCount()) {
        // The next cue stands in the middle of the list.
        const int visibleRows =
            list.viewport()->height() / std::max(1, list.sizeHintForRow(0));
        if (QTreeWidgetItem* ahead = list.topLevelItem(next + visibleRows / 2))
            list.scrollToItem(ahead);
        QTreeWidgetItem* row = list.topLevelItem(next);
        list.setCurrentItem(row);
        list.setFocus();
        list.scrollToItem(row);
    }
    const int32_t duration = scenario.Duration();
    const int32_t rest = duration == 0 || duration < clock ? 0 : duration - clock;
    launch_->timePanel->scenarioRest->setText(Clock(rest));
}

void TMainForm::PlayerStateChanged()
{
    const bool running = player_->IsRunning();
    if (running) {
        idleTimer_->stop();
        launchState_ = kLaunchRunning;
    } else {
        idleTimer_->start();
        WriteLog(Localize(45, "Остановка проекта"));
        // A stop heard on the bus while idle must not arm the console.
        if (launchState_ == kLaunchRunning)
            launchState_ = kLaunchReady;
    }
    UpdateActions();
}

void TMainForm::RemoteStopReceived()
{
    if (warning_)
        warning_->ShowWarning(Localize(46, "Экстренная остановка!"));
    WriteLog(Localize(46, "Получена внешняя команда остановки"));
}

void TMainForm::FrameReceived(const TFrameRecord& frame, int converter)
{
    controls_->HandleUnsolicitedFrame(frame, converter);
    player_->HandleMessage(frame);
}

void TMainForm::ConverterLost()
{
    converterFault_ = true;
    launch_->indicators->rs485Label->setText("RS485: 0");
    WriteLog(Localize(19, "Ошибка преобразователя"));
}

void TMainForm::ConverterBack()
{
    WriteLog(Localize(20, "Преобразователь подключен"));
    converterFault_ = false;
    launch_->indicators->rs485->SetColor(kGreen);
    launch_->indicators->rs485Label->setText(ConverterText());
    SetTextColor(*launch_->indicators->rs485Label, kBlack);
    if (warning_ && warning_->isVisible())
        warning_->hide();
}

void TMainForm::ErrFlashTimerTimer()
{
    flashPhase_ = 1 - flashPhase_;
    TIndicatorStrip& strip = *launch_->indicators;
    if (searching_)
        strip.wait.SetLit(flashPhase_ == 1);
    if (launchState_ == kLaunchReady)
        strip.work.SetLit(flashPhase_ == 1);
    if (converterFault_) {
        strip.rs485->SetColor(flashPhase_ == 1 ? kRed : NeutralColor());
        SetTextColor(*strip.rs485Label, NormalTextColor());
    }
}

void TMainForm::SoundTimerTimer()
{
    TBassPlayer& soundtrack = player_->Soundtrack();
    const int64_t position = soundtrack.Loaded() ? soundtrack.TimePosition() : 0;
    const int64_t rest = soundtrack.Loaded() ? soundtrack.TimeLength() - position : 0;
    launch_->timePanel->soundPosition->setText(Clock(position));
    launch_->timePanel->soundRest->setText(Clock(rest));
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
