// A design program's show script through the console's keys: the preview, the operator's
// word, the imported show on the simulated field, and the paperwork after it.
#include "rigs/console/ConsoleTestTools.h"
#include "rigs/console/ModalDriver.h"
#include "console/dialogs/ImportForm.h"
#include "console/mainwindow/MainForm.h"
#include "field/bus/FieldRecord.h"
#include "show/player/ExtPlayer.h"

#include <QComboBox>
#include <QLabel>
#include <QPushButton>
#include <QSpinBox>
#include <QTest>
#include <QTreeWidget>
#include <gtest/gtest.h>

#include <fstream>
#include <set>

namespace kv {
namespace {

const std::string kField = "[field]\nConverters=1\n"
                           "[device1]\nKind=module\nAddress=1\nChannels=16\n"
                           "[device2]\nKind=module\nAddress=2\nChannels=16\n";

// Module 2's cue is on its second rail of eight; line 5 has no time to fire at.
const std::string kScript = "##Finale,,,,,,,,,,,\r\n"
                            "Module ID,Rail,Channel,Time,Sequence,DMX Value,RampX,Duration or "
                            "Rate,Position,SafetyZone,Channel Name,Sequence Name\r\n"
                            "1,1,1,200,,,,,Left,,Comet,\r\n"
                            "1,1,1,200,,,,,Left,,\"Comet, tail\",\r\n"
                            "1,1,2,soon,,,,,Left,,Mine,\r\n"
                            "2,2,1,400,,,,,Right,,Peony,\r\n";

using TTexts = std::vector<std::string>;

TTexts Column(const QTreeWidget& list, int column)
{
    TTexts texts;
    for (int i = 0; i < list.topLevelItemCount(); ++i)
        texts.push_back(list.topLevelItem(i)->text(column).toStdString());
    return texts;
}

void Press(QWidget& window, const char* button)
{
    auto& target = Child<QPushButton>(window, button);
    ASSERT_TRUE(target.isEnabled()) << button;
    QTest::mouseClick(&target, Qt::LeftButton);
}

class ImportTest : public AuxConsoleTest {
protected:
    std::string Script(const std::string& text)
    {
        folder.WriteFile("design.csv", text);
        return folder.Path() + "design.csv";
    }
    // Ctrl+F2 with the file chosen; act answers the preview.
    void Import(const std::string& file, std::function<void(TImportForm&)> act)
    {
        platform.openFiles = {file};
        bool previewed = false;
        WhenModal<TImportForm>([&](TImportForm& preview) {
            previewed = true;
            act(preview);
        });
        Key(Qt::Key_F2, Qt::ControlModifier);
        EXPECT_TRUE(previewed);
    }
    const TProjectList& Slot() { return *Form().Projects().Project(Form().CurrentSlot()); }
};

TEST_F(ImportTest, PreviewThenAcceptLoadsTheSlotAndTheShowFiresIt)
{
    TMainForm& form = Open(kField, "0:05\t1\t5\told show\n", {1, 2});
    SpeedUpTimers();
    Import(Script(kScript), [&](TImportForm& preview) {
        auto& cues = Child<QTreeWidget>(preview, "ImportCueList");
        auto& refused = Child<QTreeWidget>(preview, "RefusedList");
        EXPECT_EQ(Column(cues, 4), (TTexts{"Comet + Comet, tail"}));
        EXPECT_EQ(Column(refused, 0), (TTexts{"5", "6"}));
        EXPECT_EQ(Column(refused, 1), (TTexts{"неверное время: \"soon\"",
                                               "линейка без заданного размера линейки: \"2\""}));
        // The operator confirms the rail size and the file is read again.
        Child<QSpinBox>(preview, "RailSizeBox").setValue(8);
        EXPECT_EQ(Column(cues, 0), (TTexts{"0:00.200", "0:00.400"}));
        EXPECT_EQ(Column(cues, 1), (TTexts{"0:00.200", "0:00.400"}));
        EXPECT_EQ(Column(cues, 2), (TTexts{"1", "2"}));
        EXPECT_EQ(Column(cues, 3), (TTexts{"1", "9"}));
        EXPECT_EQ(Column(cues, 5), (TTexts{"Left", "Right"}));
        EXPECT_EQ(Column(refused, 0), (TTexts{"5"}));
        EXPECT_EQ(Child<QLabel>(preview, "SummaryLabel").text().toStdString(),
                  "Формат: rail, команд: 2, отклонено строк: 1");
        // Enter reads on; only the accept button takes the show.
        QTest::keyClick(&preview, Qt::Key_Return);
        EXPECT_TRUE(preview.isVisible());
        EXPECT_EQ(Slot().Name(), "show.txt");
        Snapshot(preview, "import-preview");
        Press(preview, "AcceptBtn");
    });
    ASSERT_EQ(Slot().Count(), 2);
    EXPECT_EQ(Slot().Name(), "design.csv");
    EXPECT_TRUE(Logged("Импорт сценария: design.csv, команд: 2, отклонено строк: 1"));
    auto& list = Child<QTreeWidget>(form, "CueList");
    EXPECT_EQ(Column(list, 0), (TTexts{"0:00.200", "0:00.400"}));
    EXPECT_EQ(Column(list, 2), (TTexts{"1", "9"}));
    EXPECT_EQ(Column(list, 3), (TTexts{"", ""})) << "the effect data are no note";
    EXPECT_EQ(Column(list, 4), (TTexts{"Comet + Comet, tail", "Peony"}));
    EXPECT_EQ(Column(list, 5), (TTexts{"Left", "Right"}));
    Snapshot(form, "import-cue-list");

    Field().ClearRecord();
    Key(Qt::Key_F1);
    Key(Qt::Key_F5);
    ASSERT_TRUE(form.Player().IsRunning());
    ASSERT_TRUE(WaitFor([&] { return !form.Player().IsRunning(); }, 10000));
    std::set<std::pair<int, int>> fired;
    for (const TShotEntry& shot : Field().Shots())
        EXPECT_TRUE(fired.insert({shot.address, shot.channel}).second) << "fired twice";
    EXPECT_EQ(fired, (std::set<std::pair<int, int>>{{1, 0}, {2, 8}}));
    // The run log's shot lines stay as they were.
    EXPECT_TRUE(Logged("Запуск, пульт: 1, канал: 1"));
    EXPECT_TRUE(Logged("Запуск, пульт: 2, канал: 9"));

    std::ifstream report(form.Player().FiringReportPath());
    TTexts lines;
    for (std::string line; std::getline(report, line);)
        lines.push_back(line.substr(0, line.find('\r')));
    ASSERT_EQ(lines.size(), 3u);
    EXPECT_TRUE(lines[0].ends_with(",reason,effect,position")) << lines[0];
    EXPECT_TRUE(lines[1].ends_with(",\"Comet + Comet, tail\",Left")) << lines[1];
    EXPECT_TRUE(lines[2].ends_with(",Peony,Right")) << lines[2];
}

TEST_F(ImportTest, NothingChangesUnlessTheOperatorAccepts)
{
    Open(kField, "0:05\t1\t5\told show\n", {1});
    // No file chosen: Ctrl+F2 is no F2, which would unload the slot.
    platform.openFiles.clear();
    const size_t asked = platform.filters.size();
    Key(Qt::Key_F2, Qt::ControlModifier);
    ASSERT_EQ(platform.filters.size(), asked + 1);
    EXPECT_EQ(platform.filters.back(),
              "Сценарии программ проектирования|*.csv;*.txt|Все файлы|*");
    EXPECT_EQ(Slot().Count(), 1);

    Import(Script(kScript), [&](TImportForm& preview) { Press(preview, "CancelBtn"); });
    EXPECT_EQ(Slot().Count(), 1);
    EXPECT_EQ(Slot().Name(), "show.txt");
    Import(Script(kScript), [&](TImportForm& preview) {
        QTest::keyClick(&preview, Qt::Key_Escape);
    });
    EXPECT_EQ(Slot().Cue(0).note, "old show");

    // A file no layout fits says so and cannot be accepted.
    Import(Script("When,Where\r\n1,2\r\n"), [&](TImportForm& preview) {
        EXPECT_EQ(Child<QLabel>(preview, "SummaryLabel").text().toStdString(),
                  "Формат файла не распознан.");
        EXPECT_FALSE(Child<QPushButton>(preview, "AcceptBtn").isEnabled());
        EXPECT_FALSE(Child<QPushButton>(preview, "SaveBtn").isEnabled());
        Press(preview, "CancelBtn");
    });
    EXPECT_EQ(Slot().Name(), "show.txt");
}

TEST_F(ImportTest, ArmedOrRunningTheConsoleImportsNothing)
{
    TMainForm& form = Open(kField, "0:00.10\t1\t5\n0:09\t1\t6\n", {1});
    platform.openFiles = {Script(kScript)};
    const size_t asked = platform.filters.size();
    Key(Qt::Key_F1);
    ASSERT_EQ(form.LaunchState(), kLaunchReady);
    Key(Qt::Key_F2, Qt::ControlModifier);
    EXPECT_EQ(platform.filters.size(), asked) << "no file dialog while armed";
    Key(Qt::Key_F5);
    ASSERT_TRUE(form.Player().IsRunning());
    Key(Qt::Key_F2, Qt::ControlModifier);
    EXPECT_EQ(platform.filters.size(), asked) << "no file dialog under a show";
    EXPECT_TRUE(form.Player().IsRunning());
    EXPECT_EQ(Slot().Count(), 2);
    EXPECT_EQ(Slot().Name(), "show.txt");
    Key(Qt::Key_F6);
    EXPECT_FALSE(form.Player().IsRunning());
}

TEST_F(ImportTest, TheSavedScenarioLoadsAgainWithItsEffectsThroughF2)
{
    Open(kField, "0:05\t1\t5\told show\n", {1, 2});
    platform.saveName = folder.Path() + "saved.txt";
    Import(Script(kScript), [&](TImportForm& preview) {
        Child<QComboBox>(preview, "FormatBox").setCurrentText("rail");
        Child<QSpinBox>(preview, "RailSizeBox").setValue(8);
        Press(preview, "SaveBtn");
        Press(preview, "CancelBtn");
    });
    EXPECT_EQ(Slot().Name(), "show.txt") << "saved, not loaded";
    EXPECT_EQ(platform.prompts.back(), "Текстовые файлы|*.txt|design.txt");
    Key(Qt::Key_F2);  // unloads
    ASSERT_EQ(Slot().Count(), 0);
    platform.openFiles = {folder.Path() + "saved.txt"};
    Key(Qt::Key_F2);
    ASSERT_EQ(Slot().Count(), 2);
    auto& list = Child<QTreeWidget>(Form(), "CueList");
    EXPECT_EQ(Column(list, 4), (TTexts{"Comet + Comet, tail", "Peony"}));
    EXPECT_EQ(Column(list, 5), (TTexts{"Left", "Right"}));
    EXPECT_EQ(Slot().Cue(1).EffectTime(), 400);
}

}  // namespace
}  // namespace kv
