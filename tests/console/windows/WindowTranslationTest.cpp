#include "rigs/console/ConsoleFolder.h"
#include "rigs/console/ConsoleTestPlatform.h"
#include "rigs/console/FieldConsole.h"
#include "console/widgets/Shape.h"
#include "console/app/WidgetWindow.h"

#include <QAction>
#include <QGroupBox>
#include <QLabel>
#include <QRadioButton>
#include <QTabWidget>
#include <QTableWidget>
#include <QTest>
#include <QToolButton>
#include <gtest/gtest.h>

namespace kv {
namespace {

template <typename T>
T* Named(T* object, const char* name)
{
    object->setObjectName(name);
    return object;
}

// Every kind of control the console's windows use, on one window.
class TSampleWindow : public QWidget {
public:
    TSampleWindow()
    {
        auto* tabs = new QTabWidget(this);
        page = Named(new QWidget, "TestSheet");
        tabs->addTab(page, "Тест");
        pages = tabs;
        group = Named(new QGroupBox("Условие", this), "StartGroup");
        radio = Named(new QRadioButton("По часам", group), "ClockRadio");
        speed = Named(new QToolButton(this), "UpBtn");
        speed->setText("▲");
        shape = new TShape("RS485", this);
        table = Named(new QTableWidget(0, 2, this), "Report");
        action = Named(new QAction("Отладка", this), "DebugAction");
        label = Named(new QLabel("Пульт:", this), "ModuleCaption");
    }

    QTabWidget* pages;
    QWidget* page;
    QGroupBox* group;
    QRadioButton* radio;
    QToolButton* speed;
    TShape* shape;
    QTableWidget* table;
    QAction* action;
    QLabel* label;
    TWidgetWindow localization{*this, "TSampleForm"};
};

TEST(WindowTranslationTest, EachControlKindTakesItsSection)
{
    TConsoleFolder folder;
    folder.WriteFile("kvshow.lng",
                     "[forms]\nTSampleForm=Sample\n"
                     "[tabsheets]\nTSampleForm.TestSheet=Test\n"
                     "[groupboxes]\nTSampleForm.StartGroup=Condition\n"
                     "[radiobuttons]\nTSampleForm.ClockRadio=By the clock\n"
                     "[speedbuttons]\nTSampleForm.UpBtn=Previous module|Up\n"
                     "[shapes]\nTSampleForm.RS485=Converters\n"
                     "[listviews]\nTSampleForm.Report=ID|Channels|Surplus\n"
                     "[actions]\nTSampleForm.DebugAction=Debug\n"
                     "[buttons]\nTSampleForm.ModuleCaption=Wrong section\n");
    TSampleWindow window;
    window.action->setToolTip("Окно отладки");
    TranslateWindow(window.localization);

    EXPECT_EQ(window.windowTitle(), "Sample");
    EXPECT_EQ(window.pages->tabText(0), "Test");
    EXPECT_EQ(window.group->title(), "Condition");
    EXPECT_EQ(window.radio->text(), "By the clock");
    EXPECT_EQ(window.speed->toolTip(), "Previous module");
    EXPECT_EQ(window.speed->text(), "Up");
    EXPECT_EQ(window.shape->toolTip(), "Converters");
    EXPECT_EQ(window.table->horizontalHeaderItem(0)->text(), "ID");
    EXPECT_EQ(window.table->horizontalHeaderItem(1)->text(), "Channels");
    EXPECT_EQ(window.table->columnCount(), 2);
    // An action value without "|" keeps the hint.
    EXPECT_EQ(window.action->text(), "Debug");
    EXPECT_EQ(window.action->toolTip(), "Окно отладки");
    // A label is looked up under labels only.
    EXPECT_EQ(window.label->text(), "Пульт:");
}

TEST(WindowTranslationTest, SpeedButtonValueWithoutCaptionSetsOnlyTheHint)
{
    TConsoleFolder folder;
    folder.WriteFile("kvshow.lng", "[speedbuttons]\nTSampleForm.UpBtn=Previous module\n");
    TSampleWindow window;
    TranslateWindow(window.localization);
    EXPECT_EQ(window.speed->toolTip(), "Previous module");
    EXPECT_EQ(window.speed->text(), "▲");
}

using ConsoleTranslationTest = FieldConsoleTest;

TEST_F(ConsoleTranslationTest, EveryMessageKeepsItsOwnTextAndTheFileDialogsTakeTheirFilters)
{
    // Files made by numbering lines with one key name: the n-th line is still message n.
    std::string strings = "[strings]\n";
    for (int id = 0; id < 7; ++id)
        strings += "s=text " + std::to_string(id) + "\n";
    strings += "s=Launch control (version:\ns=version:\n";
    folder.WriteFile("kvshow.lng", strings +
                                       "[opensavedialogs]\n"
                                       "TMainForm.OpenScenarioDialog=Show scripts|*.txt\n"
                                       "TMainForm.SaveChannelsDialog=Channel lists|*.txt\n"
                                       "TMemoryForm.SaveDialog=Black boxes|*.dat\n");
    TMainForm& form = Start("[field]\nBaud=1000000\nTurnaround=0\n"
                            "[device1]\nKind=module\nAddress=1\nVersion=46B\n");
    EXPECT_TRUE(form.windowTitle().startsWith("Launch control (version: "))
        << form.windowTitle().toStdString();
    EXPECT_TRUE(Child<QLabel>(form, "LabelVer").text().startsWith("version: "));

    TConsoleTestPlatform& platform = TestPlatform();
    Register(1);
    QTest::keyClick(form.windowHandle(), Qt::Key_F2);
    ASSERT_FALSE(platform.filters.empty());
    EXPECT_EQ(platform.filters.back(), "Show scripts|*.txt");
    QTest::keyClick(form.windowHandle(), Qt::Key_F9, Qt::ControlModifier);
    ASSERT_FALSE(platform.prompts.empty());
    EXPECT_TRUE(platform.prompts.back().starts_with("Black boxes|*.dat|")) << platform.prompts.back();
    EnterTestPage();
    QTest::keyClick(form.windowHandle(), Qt::Key_F4);
    EXPECT_TRUE(platform.prompts.back().starts_with("Channel lists|*.txt|"))
        << platform.prompts.back();
}

}  // namespace
}  // namespace kv
