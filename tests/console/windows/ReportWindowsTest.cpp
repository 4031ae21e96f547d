// The report windows through the console's keys: the firing report that appears after a
// show on the simulated field, and the continuity report after a channel test.
#include "rigs/console/ConsoleTestTools.h"
#include "console/mainwindow/MainForm.h"
#include "console/reports/ContinuityForm.h"
#include "console/reports/FiringReportForm.h"
#include "devices/registry/Controls.h"
#include "show/player/ExtPlayer.h"

#include <QAction>
#include <QApplication>
#include <QChart>
#include <QChartView>
#include <QLabel>
#include <QPushButton>
#include <QScatterSeries>
#include <QTest>
#include <QTreeWidget>
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>

namespace kv {
namespace {

// Module 1 on converter 0, module 2 on converter 1; module 3 of the scenario was pulled.
const std::string kField = "[field]\nConverters=2\n"
                           "[device1]\nKind=module\nAddress=1\nVersion=46B\nChannels=16\n"
                           "Open=3\nShort=4\nResistances=5:55\n"
                           "[device2]\nKind=module\nAddress=2\nConverter=1\nChannels=8\n";

std::string FileStart(const std::string& path, size_t bytes)
{
    std::ifstream file(path, std::ios::binary);
    std::string start(bytes, '\0');
    file.read(start.data(), static_cast<std::streamsize>(bytes));
    return start.substr(0, static_cast<size_t>(file.gcount()));
}

using TTexts = std::vector<std::string>;

// The report line's cells of these columns, joined by ",".
std::string Cells(const std::string& line, std::initializer_list<size_t> columns)
{
    std::vector<std::string> cells(1);
    for (const char c : line) {
        if (c == ',')
            cells.emplace_back();
        else
            cells.back().push_back(c);
    }
    std::string joined;
    for (const size_t column : columns)
        joined += (joined.empty() ? "" : ",") + (column < cells.size() ? cells[column] : "?");
    return joined;
}

int PdfPages(const std::string& path)
{
    std::ifstream file(path, std::ios::binary);
    const std::string pdf{std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>()};
    int pages = 0;
    for (size_t at = pdf.find("/Type /Page"); at != std::string::npos;
         at = pdf.find("/Type /Page", at + 1))
        pages += pdf.compare(at, 12, "/Type /Pages") != 0;
    return pages;
}

TTexts Texts(const QTreeWidget& list, int column)
{
    TTexts texts;
    for (int i = 0; i < list.topLevelItemCount(); ++i)
        texts.push_back(list.topLevelItem(i)->text(column).toStdString());
    return texts;
}

std::string Text(QWidget& window, const char* label)
{
    return Child<QLabel>(window, label).text().toStdString();
}

int Points(TFiringReportForm& report, int series)
{
    const QChart& chart = *Child<QChartView>(report, "LatenessChart").chart();
    return static_cast<int>(static_cast<QScatterSeries*>(chart.series().at(series))->count());
}

class ReportWindowsTest : public AuxConsoleTest {
protected:
    TMainForm& OpenOnField(const std::string& scenario)
    {
        TMainForm& form = Open(kField, scenario, {1});
        EXPECT_NE(form.Controls().AddOrRefresh(2, 1), nullptr);
        return form;
    }
    bool ActiveIs(QWidget& window)
    {
        return QTest::qWaitFor([&] { return QApplication::activeWindow() == &window; }, 3000);
    }
    bool ClockPast(int32_t ms)
    {
        return WaitFor([&] { return Form().Player().CurrentTime() >= ms; }, 10000);
    }
};

TEST_F(ReportWindowsTest, AfterAShowTheReportAppearsWithoutTakingTheKeysAndPrints)
{
    TMainForm& form = OpenOnField(
                           "0:00.20\t1\t1\n0:00.40\t3\t1\tpulled\n0:00.60\t2\t1\n"
                           "0:01.60\t2\t2\tconverter 1 lost\n0:01.80\t1\t2\n"
                           "0:09.00\t1\t6\tstopped before\n");
    SpeedUpTimers();
    auto& report = Child<TFiringReportForm>(form, "TFiringReportForm");
    Key(Qt::Key_F1);
    Key(Qt::Key_F5);
    ASSERT_TRUE(form.Player().IsRunning());
    // From the menu: Ctrl+F6 is the stop while a show runs.
    Child<QAction>(form, "FiringReportAction").trigger();
    EXPECT_FALSE(report.isVisible()) << "no report window over a running show";
    ASSERT_TRUE(ClockPast(1000));
    Field().Unplug(1, Field().ElapsedMs());
    ASSERT_TRUE(ClockPast(2100));
    Key(Qt::Key_F6);
    ASSERT_FALSE(form.Player().IsRunning());

    // Beside the console, which keeps its keys: the next key disarms it.
    ASSERT_TRUE(report.isVisible());
    EXPECT_TRUE(ActiveIs(form));
    Key(Qt::Key_F1);
    EXPECT_EQ(form.LaunchState(), kLaunchIdle);
    const std::string csv = form.Player().FiringReportPath();
    EXPECT_EQ(report.Path(), csv);
    EXPECT_TRUE(csv.ends_with("-rehearsal.csv")) << "a simulated field's show as a real one's";
    // The checks of the last shots come in after the stop, and the window follows the file.
    ASSERT_TRUE(WaitFor([&] { return !form.Player().HasUnchecked(); }, 5000));

    const QString figures = Child<QLabel>(report, "FiguresLabel").text();
    for (const char* figure : {"Команд в сценарии: 6", "Выполнено по времени: 3", "Раньше времени: 0",
                               "Пропущено: 3", "    пульт не найден: 1",
                               "    потерян преобразователь: 1", "    шоу остановлено раньше: 1",
                               "Проверка после выстрела:", "    неподключен: 2", "    нет ответа: 1"})
        EXPECT_TRUE(figures.split('\n').contains(figure)) << figure << "\n" << figures.toStdString();
    EXPECT_TRUE(figures.contains("Опоздание, мс (медиана / 99% / макс.): ")) << figures.toStdString();
    const auto& missed = Child<QTreeWidget>(report, "MissedList");
    EXPECT_EQ(Texts(missed, 0), (TTexts{"2", "4", "6"}));
    EXPECT_EQ(Texts(missed, 4),
              (TTexts{"пульт не найден", "потерян преобразователь", "шоу остановлено раньше"}));
    EXPECT_EQ(Points(report, 0), 3);
    EXPECT_EQ(Points(report, 1), 2) << "the failures";
    EXPECT_EQ(Points(report, 2), 1) << "the operator's stop";
    // The fired igniters burn through; module 2's converter was gone when its turn came.
    std::ifstream file(csv);
    TTexts checks;
    for (std::string line; std::getline(file, line);)
        if (line.find(",fired,") != std::string::npos)
            checks.push_back(Cells(line, {0, 8}));
    EXPECT_EQ(checks, (TTexts{"1,open", "3,no answer", "5,open"}));

    // Ctrl+F6 brings it forward; Ctrl+P prints it; Esc gives the keys back.
    Key(Qt::Key_F6, Qt::ControlModifier);
    ASSERT_TRUE(ActiveIs(report));
    EXPECT_TRUE(Logged("Отчёт о пуске: " + csv));
    Snapshot(report, "report-firing");
    platform.saveName = folder.Path() + "show paperwork";
    QTest::keyClick(report.windowHandle(), Qt::Key_P, Qt::ControlModifier);
    const std::string pdf = folder.Path() + "show paperwork.pdf";
    // The button's key presses it the way a click does, a moment later.
    ASSERT_TRUE(WaitFor([&] { return Logged("Отчёт сохранён: " + pdf); }, 3000));
    EXPECT_EQ(FileStart(pdf, 5), "%PDF-");
    EXPECT_GT(std::filesystem::file_size(pdf), 10000u) << "the chart is drawn into it";
    QTest::keyClick(report.windowHandle(), Qt::Key_Escape);
    EXPECT_FALSE(report.isVisible());
    ASSERT_TRUE(ActiveIs(form));

    // The next show's stop brings its own report; a start puts it away.
    Key(Qt::Key_F1);
    Key(Qt::Key_F5);
    Key(Qt::Key_F6);
    ASSERT_TRUE(report.isVisible());
    EXPECT_EQ(report.Path(), form.Player().FiringReportPath());
    EXPECT_NE(report.Path(), csv);
    Key(Qt::Key_F5);
    ASSERT_TRUE(form.Player().IsRunning());
    EXPECT_FALSE(report.isVisible());
    Key(Qt::Key_F6);
    Key(Qt::Key_F6, Qt::ControlModifier);
    ASSERT_TRUE(ActiveIs(report));
    QTest::keyClick(report.windowHandle(), Qt::Key_Escape);
    ASSERT_TRUE(ActiveIs(form));
    form.Player().HandleMessage(TFrameRecord{0x90, 0, 0, 0, 0, 0});  // a stop heard on the bus
    EXPECT_FALSE(report.isVisible()) << "no show ran: no report to show";
}

TEST_F(ReportWindowsTest, EscOnTheConsolePutsTheReportsAwayAndKeepsItsOwnMeanings)
{
    TMainForm& form = OpenOnField("0:00.20\t1\t1\n0:09.00\t1\t2\n");
    SpeedUpTimers();
    auto& report = Child<TFiringReportForm>(form, "TFiringReportForm");
    auto& continuity = Child<TContinuityForm>(form, "TContinuityForm");
    Key(Qt::Key_F1);
    Key(Qt::Key_F5);
    ASSERT_TRUE(ClockPast(300));
    // A running show keeps Esc for its stop, and that stop's report comes up as ever.
    Key(Qt::Key_Escape);
    ASSERT_FALSE(form.Player().IsRunning());
    ASSERT_TRUE(report.isVisible());
    EXPECT_EQ(form.LaunchState(), kLaunchReady);
    Key(Qt::Key_F4, Qt::ControlModifier);
    ASSERT_TRUE(ActiveIs(continuity));
    form.activateWindow();  // the operator clicks the console
    ASSERT_TRUE(ActiveIs(form));

    // Both reports go, and the same press disarms the console as it always did.
    Key(Qt::Key_Escape);
    EXPECT_FALSE(report.isVisible());
    EXPECT_FALSE(continuity.isVisible());
    EXPECT_EQ(form.LaunchState(), kLaunchIdle);
    EXPECT_TRUE(ActiveIs(form));

    // Disarmed, with nothing else for Esc to do: the report still goes, and a second press
    // is harmless.
    Key(Qt::Key_F6, Qt::ControlModifier);
    ASSERT_TRUE(ActiveIs(report));
    form.activateWindow();
    ASSERT_TRUE(ActiveIs(form));
    Key(Qt::Key_Escape);
    EXPECT_FALSE(report.isVisible());
    Key(Qt::Key_Escape);
    EXPECT_EQ(form.LaunchState(), kLaunchIdle);
    // Other keys still reach the console with a report shown.
    Key(Qt::Key_F6, Qt::ControlModifier);
    form.activateWindow();
    ASSERT_TRUE(ActiveIs(form));
    Key(Qt::Key_F1);
    EXPECT_EQ(form.LaunchState(), kLaunchReady);
    EXPECT_TRUE(report.isVisible());
}

TEST_F(ReportWindowsTest, ContinuityReportAfterTheChannelTestAndAnEarlierShowsReportFromItsFile)
{
    TMainForm& form = OpenOnField("0:01.00\t1\t1\n0:01.00\t1\t3\n0:02.00\t1\t4\n"
                                  "0:03.00\t1\t5\n0:04.00\t3\t1\n0:05.00\t2\t1\n");
    auto& continuity = Child<TContinuityForm>(form, "TContinuityForm");
    Key(Qt::Key_Tab);
    Key(Qt::Key_F2);  // every module's channels
    Key(Qt::Key_F4, Qt::ControlModifier);
    ASSERT_TRUE(ActiveIs(continuity));
    Snapshot(continuity, "report-continuity");
    EXPECT_EQ(Text(continuity, "SummaryLabel"), "Каналов сценария, которые не сработают: 4");
    EXPECT_TRUE(Logged("Отчёт о проверке каналов, не сработают: 4"));
    const auto& list = Child<QTreeWidget>(continuity, "ContinuityList");
    EXPECT_EQ(Texts(list, 0), (TTexts{"Пульт, ID=1, каналов: 16, проверено: 16", "Пульт, ID=3",
                                           "Пульт, ID=2, каналов: 8, проверено: 8"}));
    const QTreeWidgetItem& first = *list.topLevelItem(0);
    ASSERT_EQ(first.childCount(), 2);
    EXPECT_EQ(first.child(0)->text(1).toStdString(),
              "неподключен: 3; короткое замыкание: 4 (0.0 Ом); ошибка: 5 (55.0 Ом)");
    EXPECT_EQ(first.child(1)->text(0).toStdString(), "Подключены, не в сценарии:");
    EXPECT_EQ(first.child(1)->text(1).toStdString(), "2, 6-16");
    EXPECT_EQ(list.topLevelItem(2)->child(0)->text(1).toStdString(), "2-8");

    platform.saveName = folder.Path() + "continuity.PDF";
    QTest::mouseClick(&Child<QPushButton>(continuity, "PdfBtn"), Qt::LeftButton);
    EXPECT_EQ(FileStart(folder.Path() + "continuity.PDF", 5), "%PDF-");
    // A folder that is not there: the operator is told, nothing is logged as saved.
    platform.saveName = folder.Path() + "no such folder/continuity";
    QTest::mouseClick(&Child<QPushButton>(continuity, "PdfBtn"), Qt::LeftButton);
    ASSERT_FALSE(platform.messages.empty());
    EXPECT_EQ(platform.messages.back(),
              "Файл PDF не записан: " + folder.Path() + "no such folder/continuity.pdf");
    EXPECT_FALSE(Logged("Отчёт сохранён: " + folder.Path() + "no such folder/continuity.pdf"));
    QTest::keyClick(continuity.windowHandle(), Qt::Key_Escape);
    ASSERT_TRUE(ActiveIs(form));

    // No show in this run yet: Ctrl+F6 asks for the file of an earlier one, a rehearsal whose
    // missed cues run over several pages of paper.
    std::string earlier = "cue,time_ms,module,channel,kind,outcome,sent_ms,lateness_ms,check,"
                          "reason\r\n1,1000,1,1,fire,fired,1012,12,open,\r\n";
    for (int cue = 2; cue <= 201; ++cue)
        earlier += std::to_string(cue) + ",2000,4,1,fire,missed,,,,module absent\r\n";
    folder.WriteFile("earlier-show1-rehearsal.csv", earlier);
    platform.openFiles = {folder.Path() + "earlier-show1-rehearsal.csv"};
    Key(Qt::Key_F6, Qt::ControlModifier);
    auto& report = Child<TFiringReportForm>(form, "TFiringReportForm");
    ASSERT_TRUE(ActiveIs(report));
    EXPECT_NE(Text(report, "FiguresLabel").find("Опоздание, мс (медиана / 99% / макс.): 12 / 12 / 12"),
              std::string::npos);
    EXPECT_EQ(Texts(Child<QTreeWidget>(report, "MissedList"), 4), TTexts(200, "пульт не найден"));
    EXPECT_EQ(Text(report, "FileLabel"), "РЕПЕТИЦИЯ на модели установки, не пуск: " + folder.Path() +
                                             "earlier-show1-rehearsal.csv");
    platform.saveName = folder.Path() + "earlier.pdf";
    QTest::keyClick(report.windowHandle(), Qt::Key_P, Qt::ControlModifier);
    ASSERT_TRUE(WaitFor([&] { return Logged("Отчёт сохранён: " + folder.Path() + "earlier.pdf"); }));
    EXPECT_GE(PdfPages(folder.Path() + "earlier.pdf"), 3);
}

}  // namespace
}  // namespace kv
