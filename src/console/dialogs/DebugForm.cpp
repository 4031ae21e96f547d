#include "console/dialogs/DebugForm.h"

#include "console/widgets/Fonts.h"
#include "console/widgets/Widgets.h"
#include "devices/kinds/CommonControl.h"
#include "devices/registry/Controls.h"
#include "link/PortProto.h"
#include "show/player/bus/BusFailureLog.h"
#include "support/lang/AddedMessages.h"
#include "support/lang/Localizer.h"
#include "support/platform/Platform.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QTabWidget>
#include <QTime>
#include <QTimer>
#include <QTreeWidget>
#include <QVBoxLayout>

namespace kv {

namespace {

constexpr uint8_t kTestModeNoBoost = 0;

}  // namespace

TDebugForm::TDebugForm(QWidget* mainForm, TControls& controls, TPortProto& port)
    : TAuxForm(mainForm, "TDebugForm", "Отладка"),
      controls_(controls),
      port_(port),
      list_(new QTreeWidget),
      elapsed_(nullptr),
      timer_(new QTimer(this))
{
    auto* tabs = new QTabWidget(this);
    auto* page = new QWidget;
    page->setObjectName("SyncSheet");
    tabs->addTab(page, "Синхронизация ПК и пультов");
    list_->setObjectName("ReportList");
    list_->setRootIsDecorated(false);
    list_->setHeaderLabels(
        {"ID", "Каналов", "Версия", "Напряжение, в", "Связь, %", "Синх., мс"});
    int column = 0;
    for (const int width : {50, 70, 70, 110, 80})
        list_->setColumnWidth(column++, Scaled(width));
    elapsed_ = MakeLabel(page, "TimeLabel", "00:00:00");
    auto* test = MakeDialogButton(page, "TestBtn", "Тест");
    auto* stop = MakeDialogButton(page, "StopBtn", "Стоп");
    auto* close = MakeDialogButton(this, "CloseBtn", "Закрыть");
    connect(test, &QPushButton::clicked, this, [this] { TestBtnClick(); });
    connect(stop, &QPushButton::clicked, this, [this] { StopBtnClick(); });
    connect(close, &QPushButton::clicked, this, &QDialog::reject);

    auto* controlsRow = new QHBoxLayout;
    controlsRow->addWidget(test);
    controlsRow->addWidget(stop);
    controlsRow->addWidget(elapsed_, 1);
    auto* pageLayout = new QVBoxLayout(page);
    pageLayout->addWidget(list_, 1);
    pageLayout->addLayout(controlsRow);
    auto* closeRow = new QHBoxLayout;
    closeRow->addStretch(1);
    closeRow->addWidget(close);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(tabs, 1);
    layout->addLayout(closeRow);
    resize(Scaled(560), Scaled(400));

    timer_->setObjectName("Timer");
    timer_->setInterval(kStepMs);
    connect(timer_, &QTimer::timeout, this, [this] { Step(); });
}

std::vector<TCommonControl*> TDebugForm::FiringModules() const
{
    std::vector<TCommonControl*> modules;
    for (int i = 0; i < controls_.Count(); ++i) {
        TCommonDevice* device = controls_.DeviceAt(i);
        if (IsFiringModuleAddress(device->address))
            if (auto* module = dynamic_cast<TCommonControl*>(device))
                modules.push_back(module);
    }
    return modules;
}

void TDebugForm::Open()
{
    elapsed_->clear();
    list_->clear();
    for (const TCommonControl* module : FiringModules()) {
        auto* row = new QTreeWidgetItem(
            QStringList{QString::number(module->address), QString::number(module->channelCount),
                        QString::number(module->version), "?", "?", "?"});
        row->setData(kId, Qt::UserRole, module->address);
        list_->addTopLevelItem(row);
    }
    CentreOnOwner();
    exec();
}

bool TDebugForm::TestRunning() const
{
    return timer_->isActive();
}

void TDebugForm::TestBtnClick()
{
    // The clock start reaches the whole bus: a station waiting for a start from the bus would
    // start its show.
    if (controls_.StationCount() > 0) {
        Platform().MessageBox(Localize(kMsgDebugTestOtherStation), Localize(66, "Ошибка"),
                              TButtons::Ok);
        return;
    }
    // The cue it writes replaces a module's first scenario record.
    if (Platform().MessageBox(Localize(kMsgDebugTestWrites), Localize(59, "Подтверждение"),
                              TButtons::YesNo) != TAnswer::Yes)
        return;
    if (SetPolling)
        SetPolling(false);
    const auto notStarted = [this](const std::string& why) {
        Platform().MessageBox(why, Localize(66, "Ошибка"), TButtons::Ok);
        if (SetPolling)
            SetPolling(true);
    };
    // The clock start reaches every module: one in fire mode would fire the show written into
    // its memory, and the test cue an hour on. No command starts one module's clock alone, so
    // every address no module was found at goes to test mode too, in case the search missed
    // one; the modules found go each with its own boost.
    std::vector<int> unfound;
    for (int address = 0; address < kStationAddress; ++address)
        if (IsFiringModuleAddress(address) && !controls_.FindByAddress(address))
            unfound.push_back(address);
    // Unacknowledged: a success does not say a module took it, but a failure says one that
    // was there may not have.
    if (const TResult sent = port_.SetModeEach(unfound, kTestModeNoBoost); sent != kLinkOk) {
        notStarted(Localize(kMsgDebugTestUnfoundNotSet) + " " + ResultText(sent));
        return;
    }
    const std::vector<TCommonControl*> modules = FiringModules();
    for (TCommonControl* module : modules)
        if (module->SetTestMode(true) != 0) {
            notStarted(Localize(kMsgDebugTestNoTestMode) + " " + std::to_string(module->address));
            return;
        }
    for (TCommonControl* module : modules) {
        // In place of the first record of the show it held, answered or not.
        module->ForgetMemory();
        Ignore(port_.WriteCue(module->address, module->converterIndex, kTestCueMs, 0),
               "its memory is forgotten either way");
    }
    LogFailure(port_.SendClock(0, true), kMsgClockNotSent, 0);
    startTick_ = Platform().TickCount();
    timer_->start();
}

void TDebugForm::StopBtnClick()
{
    timer_->stop();
    LogFailure(port_.SendClock(0, false), kMsgClockNotSent, 0);
    if (SetPolling)
        SetPolling(true);
}

// Left running, the test would keep the main window's poll off and the modules' clocks on.
void TDebugForm::done(int result)
{
    if (TestRunning())
        StopBtnClick();
    TAuxForm::done(result);
}

void TDebugForm::Step()
{
    const uint32_t elapsed = Platform().TickCount() - startTick_;
    elapsed_->setText(QTime(0, 0).addMSecs(static_cast<int>(elapsed)).toString("H:mm:ss"));
    // Each row asks its own module: a registry change reorders the list (a module added or
    // readdressed, a search), and one the registry no longer holds shows "?".
    for (int i = 0; i < list_->topLevelItemCount(); ++i) {
        QTreeWidgetItem* row = list_->topLevelItem(i);
        auto* module = dynamic_cast<TCommonControl*>(
            controls_.FindByAddress(row->data(kId, Qt::UserRole).toInt()));
        const auto pc = static_cast<int32_t>(Platform().TickCount() - startTick_);
        int clock = 0;
        char kind = 0;
        if (!module || port_.QueryClock(module->address, module->converterIndex,
                                        module->attemptMode, clock, kind) != 0) {
            row->setText(kSync, "?");
            continue;
        }
        row->setText(kVoltage, QString::number(module->supplyVoltage, 'f', 2));
        row->setText(kLink, QString::number(module->LinkQuality()));
        row->setText(kSync, QString::number(clock - pc));
    }
}

}  // namespace kv
