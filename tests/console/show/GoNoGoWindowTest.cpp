// The go/no-go window through the console's keys, on a field with a module missing, a channel
// open, a module in test mode and module memory that does not hold the show.
#include "rigs/console/ConsoleTestTools.h"
#include "rigs/console/ModalDriver.h"
#include "console/dialogs/ExtStartForm.h"
#include "console/dialogs/TimerForm.h"
#include "console/mainwindow/MainForm.h"
#include "console/reports/GoNoGoForm.h"
#include "devices/kinds/CommonControl.h"
#include "devices/registry/Controls.h"
#include "devices/kinds/HVControl.h"
#include "field/bus/Field.h"
#include "field/devices/SimModule.h"
#include "field/bus/WireFrame.h"
#include "show/player/ExtPlayer.h"

#include <QAction>
#include <QApplication>
#include <QLabel>
#include <QRadioButton>
#include <QTimeEdit>
#include <QWindow>
#include <QPushButton>
#include <QTest>
#include <QTreeWidget>
#include <gtest/gtest.h>

#include <algorithm>
#include <fstream>

namespace kv {
namespace {

const std::string kField = "[field]\nConverters=1\n"
                           "[device1]\nKind=module\nAddress=1\nChannels=8\nOpen=2\n"
                           "[device2]\nKind=module\nAddress=2\nChannels=8\nMode=test\n";

// Module 3 is not on the bus.
const std::string kShow = "0:01\t1\t1\n0:02\t1\t2\n0:03\t2\t1\n0:04\t3\t1\n";

using TTexts = std::vector<std::string>;

TTexts Column(const QTreeWidget& list, int column)
{
    TTexts texts;
    for (int i = 0; i < list.topLevelItemCount(); ++i)
        texts.push_back(list.topLevelItem(i)->text(column).toStdString());
    return texts;
}

class GoNoGoWindowTest : public AuxConsoleTest {
protected:
    bool ActiveIs(QWidget& window)
    {
        return QTest::qWaitFor([&] { return QApplication::activeWindow() == &window; }, 3000);
    }
};

TEST_F(GoNoGoWindowTest, WorstFirstWithWhatToDoAndPrintable)
{
    TMainForm& form = Open(kField, kShow, {1, 2});
    SpeedUpTimers();
    auto& second = dynamic_cast<TCommonControl&>(*form.Controls().FindByAddress(2));
    ASSERT_TRUE(WaitFor([&] { return second.modeState == 1; })) << "the poll reads the mode";
    Key(Qt::Key_Tab);
    Key(Qt::Key_F2);  // every module's channels
    Key(Qt::Key_Tab);
    Key(Qt::Key_F1, Qt::ShiftModifier);
    ASSERT_EQ(form.Player().Setup().controlMode, kControlAutonomous);

    Key(Qt::Key_G, Qt::ControlModifier);
    auto& window = Child<TGoNoGoForm>(form, "TGoNoGoForm");
    ASSERT_TRUE(ActiveIs(window));
    Snapshot(window, "go-no-go");
    EXPECT_EQ(Child<QLabel>(window, "SummaryLabel").text().toStdString(),
              "Шоу не готово: устраните замечания «СТОП».");
    const auto& list = Child<QTreeWidget>(window, "FindingList");
    EXPECT_EQ(Column(list, 0), (TTexts{"СТОП", "СТОП", "СТОП", "СТОП", "Внимание"}));
    EXPECT_EQ(Column(list, 1),
              (TTexts{"Модули сценария не найдены на шине: 3",
                      "Каналы сценария, пульт 1: неподключен: 2 (проверка, минут назад: 0)",
                      "Модули в режиме теста: 2",
                      "Память модулей не содержит этот сценарий (не записан или не проверен): 1, 2",
                      "Фонограмма не загружена."}));
    EXPECT_EQ(Column(list, 2)[3], "Запишите сценарий (F8) и проверьте его (F9).");
    EXPECT_TRUE(Logged("Проверка готовности к шоу, замечаний «СТОП»: 4"));

    platform.saveName = folder.Path() + "go.pdf";
    QTest::mouseClick(&Child<QPushButton>(window, "PdfBtn"), Qt::LeftButton);
    std::ifstream pdf(folder.Path() + "go.pdf", std::ios::binary);
    std::string start(5, '\0');
    pdf.read(start.data(), 5);
    EXPECT_EQ(start, "%PDF-");
    QTest::keyClick(window.windowHandle(), Qt::Key_Escape);
    ASSERT_TRUE(ActiveIs(form));
    EXPECT_FALSE(window.isVisible());
}

TEST_F(GoNoGoWindowTest, NotWhileTheShowRunsAndPutAwayWhenItStarts)
{
    TMainForm& form = Open(kField, "0:00.10\t1\t1\n0:09\t1\t3\n", {1});
    auto& window = Child<TGoNoGoForm>(form, "TGoNoGoForm");
    Key(Qt::Key_G, Qt::ControlModifier);
    ASSERT_TRUE(ActiveIs(window));
    // The console takes the keys back; armed and started, the window goes away.
    QTest::keyClick(window.windowHandle(), Qt::Key_Escape);
    ASSERT_TRUE(ActiveIs(form));
    Key(Qt::Key_G, Qt::ControlModifier);
    ASSERT_TRUE(ActiveIs(window));
    QTest::mouseClick(&Child<QPushButton>(window, "CloseBtn"), Qt::LeftButton);
    ASSERT_TRUE(ActiveIs(form));
    Key(Qt::Key_F1);
    Key(Qt::Key_F5);
    ASSERT_TRUE(form.Player().IsRunning());
    Key(Qt::Key_G, Qt::ControlModifier);
    EXPECT_FALSE(window.isVisible()) << "the window with the keys must stay the one that stops";
    Key(Qt::Key_Escape);
    EXPECT_FALSE(form.Player().IsRunning());
}

// Played from memory, every shot of a high-voltage module goes with its first shot's charge:
// a show whose shots need two starts by no key, and the go/no-go says why.
TEST_F(GoNoGoWindowTest, AnAutonomousShowWhoseHighVoltageShotsNeedTwoChargesStartsByNoKey)
{
    TMainForm& form = Open("[field]\nConverters=1\n"
                           "[device1]\nKind=hv\nAddress=20\nChannels=4\nResistances=2:12\n",
                           "0:01\t20\t1\n0:02\t20\t2\n", {20});
    Key(Qt::Key_Tab);
    Key(Qt::Key_F2);  // the channels measured: 8 and 12 ohms need two charges
    Key(Qt::Key_Tab);
    Key(Qt::Key_F1, Qt::ShiftModifier);
    ASSERT_EQ(form.Player().Setup().controlMode, kControlAutonomous);
    const std::string refusal =
        "Запуск отменён: Высоковольтные пульты с разными зарядами выстрелов: в автономном "
        "управлении каждый выстрел из памяти получит заряд первого, пульты: 20. Запускайте эти "
        "пульты в прямом управлении.";
    Key(Qt::Key_F1);
    Key(Qt::Key_F5);
    EXPECT_FALSE(form.Player().IsRunning());
    ASSERT_FALSE(platform.messages.empty());
    EXPECT_EQ(platform.messages.back(), refusal);
    bool waitOpened = false;
    WhenModal<TExtStartForm>([&](TExtStartForm& window) {
        waitOpened = true;
        window.reject();
    }, 1000);
    Key(Qt::Key_F5, Qt::ControlModifier);
    EXPECT_FALSE(waitOpened) << "a wait for a start that must not come";
    EXPECT_TRUE(Logged(refusal + " ( X 2 )")) << LogText();
    EXPECT_TRUE(Field().Shots().empty());
    const TTexts found = GoNoGoFindings();
    EXPECT_NE(std::find(found.begin(), found.end(),
                        "Высоковольтные пульты с разными зарядами выстрелов: в автономном "
                        "управлении каждый выстрел из памяти получит заряд первого, пульты: 20"),
              found.end());
}

const std::string kStaleMemory =
    "Память модулей не содержит этот сценарий (не записан или не проверен): 1, 2";

bool Lists(const TTexts& lines, const std::string& line)
{
    return std::find(lines.begin(), lines.end(), line) != lines.end();
}

// A write during a rehearsal goes into the model's memory: the real modules hold nothing of it.
TEST_F(GoNoGoWindowTest, AWriteIntoTheRehearsalsModelLeavesTheRealMemoryUnknown)
{
    TMainForm& form = Open("[device1]\nKind=module\nAddress=1\nChannels=8\n"
                           "[device2]\nKind=module\nAddress=2\nChannels=8\n",
                           "0:01\t1\t1\n0:02\t2\t1\n", {1, 2});
    Key(Qt::Key_F10, Qt::ControlModifier);
    ASSERT_TRUE(Child<QLabel>(form, "RehearsalBanner").isVisible());
    Key(Qt::Key_F1, Qt::ShiftModifier);
    ASSERT_EQ(form.Player().Setup().controlMode, kControlAutonomous);
    Key(Qt::Key_F8);
    ASSERT_TRUE(Logged("Запись сценария в пульты... Успешно")) << LogText();
    EXPECT_FALSE(Lists(GoNoGoFindings(), kStaleMemory)) << "the model holds the show";
    Key(Qt::Key_F10, Qt::ControlModifier);
    ASSERT_FALSE(Child<QLabel>(form, "RehearsalBanner").isVisible());
    EXPECT_TRUE(Lists(GoNoGoFindings(), kStaleMemory)) << "the real modules were never written";
}

// The controller's cue frames are addressed to the cues' modules, which may store them.
TEST_F(GoNoGoWindowTest, AControllerWriteLeavesTheModulesMemoryUnknown)
{
    TMainForm& form = Open("[device1]\nKind=module\nAddress=1\nChannels=8\n"
                           "[device2]\nKind=module\nAddress=2\nChannels=8\n"
                           "[device3]\nKind=remote\nAddress=0\nEraseMs=300\n",
                           "0:01\t1\t1\n0:02\t2\t1\n", {0, 1, 2});
    Key(Qt::Key_F1, Qt::ShiftModifier);
    ASSERT_EQ(form.Player().Setup().controlMode, kControlAutonomous);
    Key(Qt::Key_F8);
    ASSERT_TRUE(Logged("Запись сценария в пульты... Успешно")) << LogText();
    ASSERT_FALSE(Lists(GoNoGoFindings(), kStaleMemory));
    platform.yesNo = TAnswer::Yes;  // written although the modules are on the line
    Key(Qt::Key_F8, Qt::ShiftModifier);
    ASSERT_TRUE(Logged("Запись сценария в ПДУ(Р)... Успешно")) << LogText();
    EXPECT_TRUE(Lists(GoNoGoFindings(), kStaleMemory));
}

// A module changed on site for a spare set to its address, after the show was written into
// the modules and verified.
class SpareModuleTest : public GoNoGoWindowTest {
protected:
    TMainForm& Verified()
    {
        TMainForm& form = Open("[device1]\nKind=module\nAddress=1\nChannels=8\n"
                               "[device2]\nKind=module\nAddress=2\nChannels=8\n",
                               "0:01\t1\t1\n0:02\t2\t1\n", {1, 2});
        Key(Qt::Key_F1, Qt::ShiftModifier);
        EXPECT_EQ(form.Player().Setup().controlMode, kControlAutonomous);
        Key(Qt::Key_F8);
        Key(Qt::Key_F9);
        EXPECT_TRUE(Logged("Проверка сценария в пультах... Успешно")) << LogText();
        for (const std::string& line : GoNoGoFindings())
            EXPECT_FALSE(line.starts_with("Память")) << line;
        return form;
    }
    void TakeOut()
    {
        Field().WithDevice(2, [](TSimDevice& device) { device.Faults().silentFromNs = 0; });
    }
    void PutIn(const TModuleSetup& spare)
    {
        Field().AddDevice(std::make_unique<TSimModule>(spare));
    }
    // The search key held until the round has passed module 2.
    void Search()
    {
        Key(Qt::Key_F10);
        ASSERT_TRUE(Child<QPushButton>(Form(), "SearchBtn").isChecked());
        ASSERT_TRUE(WaitFor(
            [&] {
                const int address = Child<QLabel>(Form(), "SearchIdLabel").text().toInt();
                return address >= 3 && address < 200;
            },
            20000));
        Key(Qt::Key_F10);
        ASSERT_FALSE(Child<QPushButton>(Form(), "SearchBtn").isChecked());
    }

    const std::string kSpareMemory =
        "Память модулей не содержит этот сценарий (не записан или не проверен): 2";
};

TEST_F(SpareModuleTest, ASpareOfAnotherKindFoundBySearchHoldsNothingOfThisShow)
{
    TMainForm& form = Verified();
    TakeOut();
    PutIn({.kind = TModuleKind::HighVoltage, .address = 2, .channels = 4});
    Search();
    EXPECT_TRUE(Lists(GoNoGoFindings(), kSpareMemory));
    EXPECT_NE(dynamic_cast<THVControl*>(form.Controls().FindByAddress(2)), nullptr);
}

// No serial number tells two modules of a make apart: the poll that went unanswered does.
TEST_F(SpareModuleTest, ASpareAlikePutInWhileThePollRanHoldsNothingOfThisShow)
{
    TMainForm& form = Verified();
    SpeedUpTimers();
    TakeOut();
    ASSERT_TRUE(WaitFor([&] { return form.Controls().FindByAddress(2)->lastResult != 0; }));
    PutIn({.address = 2, .channels = 8});
    ASSERT_TRUE(WaitFor([&] { return form.Controls().FindByAddress(2)->lastResult == 0; }));
    const std::string silent = "Модули не ответили на опрос после поиска (их могли заменить): 2";
    const std::vector<std::string> before = GoNoGoFindings();
    EXPECT_TRUE(Lists(before, kSpareMemory)) << "before any search";
    EXPECT_TRUE(Lists(before, silent));
    Search();
    const std::vector<std::string> after = GoNoGoFindings();
    EXPECT_TRUE(Lists(after, kSpareMemory));
    EXPECT_FALSE(Lists(after, silent)) << "found again as a new module";
}

// Module 3 is not on the bus: a "СТОП" line, and no question before the start.
const std::string kGatedShow = "0:00.10\t1\t1\n0:09\t3\t1\n";
const std::string kGated = "[show]\nGoNoGoBeforeStart=1\n";
const std::string kHeld = "Запуск отложен: закройте окно готовности к шоу и нажмите запуск снова.";

// A key held down on this window: its press, the keyboard's repeats, its release.
void Hold(QWindow* window, Qt::Key key)
{
    QTest::keyPress(window, key);
    for (int repeat = 0; repeat < 5; ++repeat) {
        qt_handleKeyEvent(window, QEvent::KeyRelease, key, Qt::NoModifier, {}, true);
        qt_handleKeyEvent(window, QEvent::KeyPress, key, Qt::NoModifier, {}, true);
    }
    QTest::keyRelease(window, key);
}

class GoNoGoBeforeStartTest : public GoNoGoWindowTest {
protected:
    int Count(const std::string& message)
    {
        const auto messages = TConsoleFolder::LogMessages(Form().RunLogFile());
        return static_cast<int>(std::count(messages.begin(), messages.end(), message));
    }
    void StopShow()
    {
        Key(Qt::Key_Escape);
        ASSERT_FALSE(Form().Player().IsRunning());
        ASSERT_EQ(Form().LaunchState(), kLaunchReady);
    }
};

// The space bar as the start key: the key most likely to close the window too.
TEST_F(GoNoGoBeforeStartTest, TheStartKeyShowsItFirstAndOnlyAPressAfterClosingItStarts)
{
    TMainForm& form = Open(kField, kGatedShow, {1}, kGated + "[keys]\nStartBtn=32\n");
    auto& window = Child<TGoNoGoForm>(form, "TGoNoGoForm");
    auto& close = Child<QPushButton>(window, "CloseBtn");
    Key(Qt::Key_F1);
    int starts = 0;
    // Closed by Esc, by the space bar on "Закрыть", by a click on it.
    for (const Qt::Key closing : {Qt::Key_Escape, Qt::Key_Space, Qt::Key_unknown}) {
        SCOPED_TRACE(closing);
        Hold(form.windowHandle(), Qt::Key_Space);
        ASSERT_TRUE(ActiveIs(window));
        EXPECT_EQ(Column(Child<QTreeWidget>(window, "FindingList"), 1)[0],
                  "Модули сценария не найдены на шине: 3");
        EXPECT_FALSE(form.Player().IsRunning());
        // Held or pressed again in the window, the start key does nothing there; nor Enter.
        Hold(window.windowHandle(), Qt::Key_Space);
        Hold(window.windowHandle(), Qt::Key_F5);
        QTest::keyClick(window.windowHandle(), Qt::Key_Return);
        close.setFocus();
        QTest::keyClick(window.windowHandle(), Qt::Key_Return);
        EXPECT_TRUE(window.isVisible());
        // Open still, the window is read again, whichever window has the keys.
        form.activateWindow();
        ASSERT_TRUE(ActiveIs(form));
        Key(Qt::Key_Space);
        ASSERT_TRUE(ActiveIs(window));
        EXPECT_FALSE(form.Player().IsRunning());

        if (closing == Qt::Key_unknown) {
            QTest::mouseClick(&close, Qt::LeftButton);
        } else {
            close.setFocus();
            QTest::keyClick(window.windowHandle(), closing);
        }
        ASSERT_TRUE(ActiveIs(form));
        EXPECT_FALSE(window.isVisible());
        QTest::qWait(200);
        EXPECT_FALSE(form.Player().IsRunning()) << "the key that closed it started the show";
        EXPECT_EQ(Count("Запуск проекта"), starts);

        Key(Qt::Key_Space);
        ASSERT_TRUE(form.Player().IsRunning());
        EXPECT_EQ(Count("Запуск проекта"), ++starts);
        StopShow();
    }
    EXPECT_EQ(Count(kHeld), 6) << "each round: the first press and the one with it open";
}

TEST_F(GoNoGoBeforeStartTest, AStopHeardOnTheBusWhileItIsOpenAsksForAnotherReading)
{
    TMainForm& form = Open(kField, kGatedShow, {1}, kGated);
    auto& window = Child<TGoNoGoForm>(form, "TGoNoGoForm");
    Key(Qt::Key_F1);
    Hold(form.windowHandle(), Qt::Key_F5);
    ASSERT_TRUE(ActiveIs(window));
    Field().InjectFrame(0, Field().ElapsedMs() + 1, MakeWireFrame(0x90, 0, 0, 0, 0, 0));
    ASSERT_TRUE(WaitFor([&] { return Logged("Получена внешняя команда остановки"); }));
    QTest::mouseClick(&Child<QPushButton>(window, "CloseBtn"), Qt::LeftButton);
    ASSERT_FALSE(window.isVisible());
    form.activateWindow();
    Key(Qt::Key_Escape);  // the red warning's acknowledgement
    ASSERT_EQ(form.LaunchState(), kLaunchReady);
    Key(Qt::Key_F5);
    ASSERT_TRUE(ActiveIs(window)) << "read before the stop: shown again";
    EXPECT_FALSE(form.Player().IsRunning());
    QTest::keyClick(window.windowHandle(), Qt::Key_Escape);
    ASSERT_TRUE(ActiveIs(form));
    Key(Qt::Key_F5);
    EXPECT_TRUE(form.Player().IsRunning());
    StopShow();
    Key(Qt::Key_F5);
    EXPECT_TRUE(ActiveIs(window)) << "a start uses the reading up";
    EXPECT_FALSE(form.Player().IsRunning());
}

TEST_F(GoNoGoBeforeStartTest, TheTimedStartAndTheTimecodeWaitShowItFirstToo)
{
    const QTime now = QTime::currentTime();
    if (now > QTime(23, 57) || now < QTime(0, 3))
        GTEST_SKIP() << "a start 90 s ahead would fall on the other side of midnight";
    TMainForm& form = Open(kField, kGatedShow, {1}, kGated);
    auto& window = Child<TGoNoGoForm>(form, "TGoNoGoForm");
    Key(Qt::Key_F1);
    bool asked = false;
    const auto startIn90s = [&asked](int timeoutMs) {
        WhenModal<TExtStartForm>([&asked](TExtStartForm& start) {
            asked = true;
            QTest::mouseClick(&Child<QRadioButton>(start, "ClockRadio"), Qt::LeftButton);
            Child<QTimeEdit>(start, "TimePicker").setTime(QTime::currentTime().addSecs(90));
            QTest::mouseClick(&Child<QPushButton>(start, "StartBtn"), Qt::LeftButton);
        }, timeoutMs);
    };
    startIn90s(1500);
    Key(Qt::Key_F5, Qt::ControlModifier);
    ASSERT_TRUE(ActiveIs(window));
    QTest::qWait(1600);
    EXPECT_FALSE(asked) << "the start's own window waits until the check is read";
    form.activateWindow();
    Key(Qt::Key_F5, Qt::ShiftModifier);
    ASSERT_TRUE(ActiveIs(window)) << "open still: the timecode wait is held too";
    EXPECT_FALSE(Logged("Ожидание таймкода, источник:"));
    EXPECT_FALSE(Child<QAction>(form, "TimecodeAction").isChecked());

    QTest::keyClick(window.windowHandle(), Qt::Key_Escape);
    ASSERT_TRUE(ActiveIs(form));
    startIn90s(15000);
    WhenModal<TTimerForm>([this](TTimerForm&) { platform.tickShift += 90000; });
    Key(Qt::Key_F5, Qt::ControlModifier);
    EXPECT_TRUE(asked);
    EXPECT_TRUE(form.Player().IsRunning()) << "read and closed, the start by the clock goes";
    EXPECT_EQ(Count(kHeld), 2);
    StopShow();
}

}  // namespace
}  // namespace kv
