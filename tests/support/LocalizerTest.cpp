#include "support/text/DivStrings.h"
#include "support/lang/Localizer.h"
#include "rigs/TempFolder.h"
#include "support/lang/WindowTranslation.h"

#include <gtest/gtest.h>

#include <map>

using namespace kv;

TEST(DivStrings, EveryDividerEndsAnItem)
{
    const TDivStrings parts("a|b|", '|');
    EXPECT_EQ(parts.Items(), (std::vector<std::string>{"a", "b", ""}));
    EXPECT_EQ(TDivStrings("", '|').Items(), std::vector<std::string>{""});
    EXPECT_EQ(TDivStrings("|", '|').Items(), (std::vector<std::string>{"", ""}));
    EXPECT_EQ(TDivStrings("1,2").Count(), 2u);  // "," unless told otherwise
    const TZkStrings cue("100#1#5", '#');
    ASSERT_EQ(cue.Count(), 3u);
    EXPECT_EQ(cue.Get(2), "5");
}

namespace {

// A window as the console's adapter would present it, recording what the pass sets.
class TFakeWindow : public TLocalizedWindow {
public:
    explicit TFakeWindow(std::string className) : className_(std::move(className)) {}

    std::string ClassName() const override { return className_; }
    void SetCaption(const std::string& caption) override { caption_ = caption; }
    std::vector<TLocalizedComponent> Components() override
    {
        std::vector<TLocalizedComponent> components;
        for (const auto& [name, kind] : kinds_) {
            TLocalizedComponent component;
            component.name = name;
            component.kind = kind;
            component.setCaption = [this, name](const std::string& text) { captions[name] = text; };
            component.setHint = [this, name](const std::string& text) { hints[name] = text; };
            component.setFilter = [this, name](const std::string& text) { filters[name] = text; };
            component.columnCount = columns.size();
            component.setColumnCaption = [this](size_t i, const std::string& text) {
                columns.at(i) = text;
            };
            components.push_back(std::move(component));
        }
        return components;
    }

    void Add(const std::string& name, TComponentKind kind) { kinds_.emplace_back(name, kind); }
    const std::string& Caption() const { return caption_; }

    std::map<std::string, std::string> captions, hints, filters;
    std::vector<std::string> columns;

private:
    std::string className_;
    std::string caption_ = "built-in";
    std::vector<std::pair<std::string, TComponentKind>> kinds_;
};

class Localization : public ::testing::Test {
protected:
    void SetUp() override { ResetMessageTable(); }
    void TearDown() override
    {
        ResetMessageTable();
        SetLanguageFile("");
    }
    void UseLanguageFile(const std::string& text)
    {
        SetLanguageFile(folder_.Write("kvshow.lng", text));
    }

    kvtest::TTempFolder folder_;
};

}  // namespace

TEST_F(Localization, WithoutALanguageFileEveryTextIsTheBuiltInOne)
{
    SetLanguageFile(folder_.Path() + "absent.lng");
    TFakeWindow window("TMainForm");
    window.Add("StartBtn", TComponentKind::Button);
    TLocalizer localizer(window);
    TranslateAll();
    EXPECT_EQ(Localize(91, "Ошибка"), "Ошибка");
    EXPECT_EQ(window.Caption(), "built-in");
    EXPECT_TRUE(window.captions.empty());
}

TEST_F(Localization, TheNthKeyOfStringsTranslatesIdN)
{
    std::string text = "[forms]\n[strings]\n";
    for (int i = 0; i < 95; ++i)
        text += "k" + std::to_string(94 - i) + "=text " + std::to_string(i) + "\n";
    UseLanguageFile(text + "[other]\nk95=not a message\n");
    EXPECT_EQ(Localize(94, "default"), "default");  // nothing before the first pass
    TranslateAll();
    EXPECT_EQ(Localize(0, "default"), "text 0");
    EXPECT_EQ(Localize(94, "default"), "text 94");
    EXPECT_EQ(Localize(95, "default"), "default");
    EXPECT_EQ(Localize(-1, "default"), "default");
}

TEST_F(Localization, TheMessageTableIsLoadedOnce)
{
    UseLanguageFile("[strings]\n0=first\n");
    TranslateAll();
    UseLanguageFile("[strings]\n0=second\n");
    TranslateAll();
    EXPECT_EQ(Localize(0, "x"), "first");
    ResetMessageTable();
    TranslateAll();
    EXPECT_EQ(Localize(0, "x"), "second");
}

TEST_F(Localization, EachComponentKindReadsItsOwnSection)
{
    UseLanguageFile(
        "[forms]\nTMainForm=Launch control\n"
        "[buttons]\nTMainForm.StartBtn=<F5> Start\nTMainForm.ReadyLbl=wrong section\n"
        "[labels]\nTMainForm.ReadyLbl=Ready\n"
        "[shapes]\nTMainForm.PowerLed=Power\n"
        "[opensavedialogs]\nTMainForm.OpenDialog=Scenario|*.txt\n"
        "[menuitems]\nTMainForm.FileItem=File\n"
        "[tabsheets]\nTMainForm.TestSheet=Test\n"
        "[radiobuttons]\nTMainForm.AutoRadio=Automatic\n"
        "[groupboxes]\nTMainForm.ModeBox=Modes\n"
        "[buttons]\nTMainForm.Unregistered=shadowed\n"
        "[memos]\nTMainForm.Other=not read\n");
    TFakeWindow window("TMainForm");
    window.Add("StartBtn", TComponentKind::Button);
    window.Add("ReadyLbl", TComponentKind::Label);
    window.Add("PowerLed", TComponentKind::Shape);
    window.Add("OpenDialog", TComponentKind::OpenSaveDialog);
    window.Add("FileItem", TComponentKind::MenuItem);
    window.Add("TestSheet", TComponentKind::TabSheet);
    window.Add("AutoRadio", TComponentKind::RadioButton);
    window.Add("ModeBox", TComponentKind::GroupBox);
    window.Add("Other", TComponentKind::Other);
    TranslateWindow(window);

    EXPECT_EQ(window.Caption(), "Launch control");
    EXPECT_EQ(window.captions, (std::map<std::string, std::string>{{"StartBtn", "<F5> Start"},
                                                                   {"ReadyLbl", "Ready"},
                                                                   {"FileItem", "File"},
                                                                   {"TestSheet", "Test"},
                                                                   {"AutoRadio", "Automatic"},
                                                                   {"ModeBox", "Modes"}}));
    EXPECT_EQ(window.hints, (std::map<std::string, std::string>{{"PowerLed", "Power"}}));
    EXPECT_EQ(window.filters,
              (std::map<std::string, std::string>{{"OpenDialog", "Scenario|*.txt"}}));
}

TEST_F(Localization, SplitValuesOfSpeedButtonsActionsAndListViews)
{
    UseLanguageFile(
        "[speedbuttons]\nTTestForm.Both=hint|caption\nTTestForm.HintOnly=just a hint\n"
        "[actions]\nTTestForm.Both=caption|hint\nTTestForm.CaptionOnly=just a caption\n"
        "TTestForm.Empty=\n"
        "[listviews]\nTTestForm.List=Address|Version|Channels|Beyond\n");
    TFakeWindow speed("TTestForm");
    speed.Add("Both", TComponentKind::SpeedButton);
    speed.Add("HintOnly", TComponentKind::SpeedButton);
    TranslateWindow(speed);
    EXPECT_EQ(speed.hints, (std::map<std::string, std::string>{{"Both", "hint"},
                                                               {"HintOnly", "just a hint"}}));
    EXPECT_EQ(speed.captions, (std::map<std::string, std::string>{{"Both", "caption"}}));

    TFakeWindow actions("TTestForm");
    actions.Add("Both", TComponentKind::Action);
    actions.Add("CaptionOnly", TComponentKind::Action);
    actions.Add("Empty", TComponentKind::Action);
    TranslateWindow(actions);
    EXPECT_EQ(actions.captions, (std::map<std::string, std::string>{
                                    {"Both", "caption"}, {"CaptionOnly", "just a caption"},
                                    {"Empty", ""}}));
    EXPECT_EQ(actions.hints, (std::map<std::string, std::string>{{"Both", "hint"}}));

    TFakeWindow list("TTestForm");
    list.Add("List", TComponentKind::ListView);
    list.columns = {"a", "b", "c"};
    TranslateWindow(list);
    EXPECT_EQ(list.columns, (std::vector<std::string>{"Address", "Version", "Channels"}));
}

TEST_F(Localization, TranslateAllCoversTheRegisteredWindowsOnly)
{
    UseLanguageFile("[forms]\nTMainForm=main\nTWarningForm=warning\nTTimerForm=timer\n");
    TFakeWindow main("TMainForm");
    TFakeWindow warning("TWarningForm");
    TFakeWindow timer("TTimerForm");
    TLocalizer mainLocalizer(main);
    {
        TLocalizer warningLocalizer(warning);
        TLocalizer timerLocalizer(timer);
    }
    TLocalizer warningLocalizer(warning);
    TranslateAll();
    EXPECT_EQ(main.Caption(), "main");
    EXPECT_EQ(warning.Caption(), "warning");
    EXPECT_EQ(timer.Caption(), "built-in");
}

TEST_F(Localization, ALanguageFileInCp1251)
{
    UseLanguageFile("[strings]\n0=\xCF\xF3\xF1\xEA\n[forms]\nTMainForm=\xD1\xF2\xE0\xF0\xF2\n");
    TFakeWindow main("TMainForm");
    TLocalizer localizer(main);
    TranslateAll();
    EXPECT_EQ(Localize(0, " "), "Пуск");
    EXPECT_EQ(main.Caption(), "Старт");
}

TEST_F(Localization, TheLanguageFileLivesBesideTheProgram)
{
    SetLanguageFile("");
    const std::string file = LanguageFile();
    EXPECT_EQ(file.substr(file.rfind('/')), "/kvshow.lng");
    EXPECT_EQ(file.substr(0, 1), "/");
}
