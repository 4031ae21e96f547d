// The go/no-go window through the console's keys, on a field with a module missing, a channel
// open, a module in test mode and module memory that does not hold the show.
#include "ConsoleTestTools.h"
#include "console/reports/GoNoGoForm.h"
#include "console/mainwindow/MainForm.h"
#include "devices/CommonControl.h"
#include "devices/Controls.h"
#include "show/ExtPlayer.h"

#include <QApplication>
#include <QLabel>
#include <QPushButton>
#include <QTest>
#include <QTreeWidget>
#include <gtest/gtest.h>

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
    ASSERT_EQ(form.Player().controlMode, kControlAutonomous);

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

}  // namespace
}  // namespace kv
