// The console as a standby station, through its window: armed by Ctrl+R, it follows the show
// another station runs on its line and goes on with it when that station falls silent. The
// primary is a second player in this process on the field's second converter, which shares
// the console's line; its converter pulled out silences it as a killed PC would.
#include "rigs/console/FieldConsole.h"

#include "rigs/console/ConsoleFolder.h"
#include "rigs/console/ConsoleTestPlatform.h"
#include "rigs/console/ConsoleTestTools.h"
#include "console/reports/FiringReportForm.h"
#include "console/reports/GoNoGoForm.h"
#include "devices/registry/Controls.h"
#include "field/bus/FieldPort.h"
#include "field/bus/FieldRecord.h"
#include "link/PortProto.h"
#include "show/player/ExtPlayer.h"
#include "show/scenario/ProjectList.h"

#include <QAction>
#include <QDialog>
#include <QLabel>
#include <QPushButton>
#include <QTest>
#include <QTreeWidget>

#include <algorithm>
#include <map>
#include <utility>

namespace kv {
namespace {

// The second converter is the primary's, out until it starts.
const std::string kField =
    "[field]\nConverters=2\n[converter1]\nSameLineAs=0\n"
    "[device1]\nKind=module\nAddress=1\nConverter=0\nChannels=16\n"
    "[device2]\nKind=module\nAddress=2\nConverter=0\nChannels=16\n"
    "[event1]\nType=unplug\nConverter=1\nAt=0\n";
const std::string kShow = "0:00.40\t1\t1\n0:00.40\t2\t1\n0:00.90\t1\t2\n0:02.00\t1\t3\n"
                          "0:02.00\t2\t2\n0:02.60\t2\t3\n";

class StandbyWindowTest : public FieldConsoleTest {
protected:
    ~StandbyWindowTest() override
    {
        primary_.reset();
        registry_.reset();
        port_.reset();
    }
    TMainForm& Ready(const std::string& settings = {})
    {
        TMainForm& form = Start(kField, settings);
        Register(1);
        Register(2);
        LoadScenario(kShow);
        Key(Qt::Key_F1);
        TestPlatform().yesNo = TAnswer::Yes;
        return form;
    }
    // Another station on the line, starting the same show in direct control.
    void StartPrimary()
    {
        Field().Plug(1, Field().ElapsedMs());
        const std::shared_ptr<TField> field(std::shared_ptr<TField>{}, &Field());
        do {
            port_ = std::make_unique<TPortProto>(
                std::make_unique<TFieldPort>(field, 16, std::vector<int>{1}));
        } while (port_->StationId() == Form().Port().StationId());
        registry_ = std::make_unique<TControls>(*port_);
        for (const int address : {1, 2})
            ASSERT_NE(registry_->AddOrRefresh(address, 0), nullptr);
        primary_ = std::make_unique<TExtPlayer>(*registry_, *port_);
        scenario_.Load(folder.Path() + "scenario.txt");
        TShowSetup setup = primary_->Setup();
        setup.scenario = &scenario_;
        ASSERT_TRUE(primary_->Configure(setup));
        primary_->LaunchState = [this] { return primary_->IsRunning() ? 2 : 1; };
        port_->OnFrameFrom = [this](const TFrameRecord& frame, int) {
            primary_->HandleMessage(frame);
        };
        port_->ReplyTimeout = TPort::kDefaultReplyTimeout;
        ASSERT_TRUE(port_->Start());
        startMs_ = Field().ElapsedMs();
        primary_->Start(0);
    }
    void Silence() { Field().Unplug(1, Field().ElapsedMs()); }
    // The stop key pressed while the primary's show runs.
    void StopWhileFollowing(Qt::Key stop);
    QString Line() { return Child<QLabel>(Form(), "StandbyLabel").text(); }
    bool Armed() { return Child<QAction>(Form(), "StandbyAction").isChecked(); }
    std::map<std::pair<int, int>, int> Shots()
    {
        std::map<std::pair<int, int>, int> shots;
        for (const TShotEntry& shot : Field().Shots())
            ++shots[{shot.address, shot.channel + 1}];
        return shots;
    }
    int LogCount(const std::string& prefix)
    {
        const auto log = TConsoleFolder::LogMessages(Form().RunLogFile());
        return static_cast<int>(std::count_if(log.begin(), log.end(), [&](const std::string& line) {
            return line.starts_with(prefix);
        }));
    }

    TProjectList scenario_;
    std::unique_ptr<TPortProto> port_;
    std::unique_ptr<TControls> registry_;
    std::unique_ptr<TExtPlayer> primary_;
    int64_t startMs_ = 0;
};

TEST_F(StandbyWindowTest, ArmedByKeyItTakesOverASilentPrimaryAndFiresTheRestOnce)
{
    TMainForm& form = Start(kField, "[show]\nGoNoGoBeforeStart=1\n");
    Register(1);
    Register(2);
    LoadScenario(kShow);
    TestPlatform().yesNo = TAnswer::Yes;
    Key(Qt::Key_R, Qt::ControlModifier);
    EXPECT_FALSE(Armed()) << "armed before the console was";
    Key(Qt::Key_F1);
    // The go/no-go first, saying what the bus cannot check; armed only by a press after it.
    Key(Qt::Key_R, Qt::ControlModifier);
    auto& goNoGo = Child<TGoNoGoForm>(form, "TGoNoGoForm");
    ASSERT_TRUE(goNoGo.isVisible());
    auto& findings = Child<QTreeWidget>(goNoGo, "FindingList");
    bool told = false;
    for (int row = 0; row < findings.topLevelItemCount(); ++row)
        told = told || findings.topLevelItem(row)->text(1) ==
                           "Резерв: что основная станция ведёт это же шоу, по шине проверить нельзя.";
    EXPECT_TRUE(told);
    EXPECT_FALSE(Armed());
    QTest::mouseClick(&Child<QPushButton>(goNoGo, "CloseBtn"), Qt::LeftButton);
    form.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&form));
    Key(Qt::Key_R, Qt::ControlModifier);
    ASSERT_TRUE(Armed());
    EXPECT_EQ(TestPlatform().messages.back(),
              "По шине нельзя проверить, что основная станция ведёт это же шоу. Шоу то же?");
    EXPECT_EQ(Line().toStdString(), "Резерв: ждёт шоу основной станции");

    // Armed, it waits as for a start: the start key starts nothing, and no idle poll goes
    // out onto a line another station may fire on.
    Field().ClearRecord();
    Key(Qt::Key_F5);
    WaitFor([] { return false; }, 700);
    EXPECT_FALSE(form.Player().IsRunning());
    for (const TFrameEntry& frame : Field().Frames())
        EXPECT_EQ(frame.bytes.at(0), 0x03) << "not a station status query: " << DescribeFrame(frame);

    StartPrimary();
    ASSERT_TRUE(WaitFor([&] { return Line().startsWith("Резерв: следит за шоу основной станции"); }));
    ASSERT_TRUE(WaitFor([&] { return Shots().size() == 3; }));
    Snapshot(form, "console-standby");
    Silence();
    ASSERT_TRUE(WaitFor([&] { return form.Player().IsRunning(); }, 2000));
    EXPECT_EQ(LogCount("Основная станция молчит, шоу продолжает резервная станция, время:"), 1);
    EXPECT_TRUE(WaitFor([&] { return Line() == "Резерв: шоу ведёт эта станция"; }, 500))
        << Line().toStdString();
    EXPECT_EQ(form.LaunchState(), kLaunchRunning);
    ASSERT_TRUE(WaitFor([&] { return !form.Player().IsRunning(); }, 4000));

    const auto shots = Shots();
    EXPECT_EQ(shots.size(), 6u);
    for (const auto& [channel, count] : shots)
        EXPECT_EQ(count, 1) << channel.first << "/" << channel.second;
    for (const TShotEntry& shot : Field().Shots()) {
        const auto cue = std::find_if(scenario_.Cues().begin(), scenario_.Cues().end(),
                                      [&](const TCue& c) {
                                          return c.module == shot.address &&
                                                 c.channel == shot.channel;
                                      });
        ASSERT_NE(cue, scenario_.Cues().end());
        EXPECT_GE(static_cast<int64_t>(shot.ns / 1'000'000) - startMs_, cue->time)
            << "early: " << DescribeShot(shot);
    }
    // The report tells what the other station fired; the standby ends with its show.
    ASSERT_TRUE(WaitFor([&] { return !Line().isEmpty() && !Armed(); }));
    EXPECT_FALSE(Child<QLabel>(form, "StandbyLabel").isVisible());
    auto& report = Child<TFiringReportForm>(form, "TFiringReportForm");
    ASSERT_TRUE(WaitFor([&] { return report.isVisible(); }));
    EXPECT_TRUE(Child<QLabel>(report, "FiguresLabel").text().contains("Выполнено другой станцией: 3"))
        << Child<QLabel>(report, "FiguresLabel").text().toStdString();
}

TEST_F(StandbyWindowTest, F6StopsBothAndNothingIsTakenOverAfter)
{
    StopWhileFollowing(Qt::Key_F6);
}

TEST_F(StandbyWindowTest, EscStopsBothAndNothingIsTakenOverAfter)
{
    StopWhileFollowing(Qt::Key_Escape);
}

void StandbyWindowTest::StopWhileFollowing(Qt::Key stop)
{
    TMainForm& form = Ready();
    Key(Qt::Key_R, Qt::ControlModifier);
    ASSERT_TRUE(Armed());
    StartPrimary();
    ASSERT_TRUE(WaitFor([&] { return Line().startsWith("Резерв: следит за шоу основной станции"); }));
    // Nothing but the stop lets the standby go while the show runs: let go, the console
    // would answer the primary's clock with a stop of its own.
    Key(Qt::Key_F1);
    Key(Qt::Key_R, Qt::ControlModifier);
    EXPECT_TRUE(Armed());
    EXPECT_EQ(form.LaunchState(), kLaunchReady);
    ASSERT_TRUE(WaitFor([&] { return Shots().size() == 3; }));
    Key(stop);
    EXPECT_FALSE(Armed());
    ASSERT_TRUE(WaitFor([&] { return !primary_->IsRunning(); }, 1000)) << "the primary fires on";
    Silence();
    WaitFor([] { return false; }, 1500);
    EXPECT_FALSE(form.Player().IsRunning());
    EXPECT_EQ(Shots().size(), 3u);
    EXPECT_EQ(LogCount("Основная станция молчит"), 0);
}

TEST_F(StandbyWindowTest, NoTakeoverUnderAModalWindow)
{
    TMainForm& form = Ready();
    Key(Qt::Key_R, Qt::ControlModifier);
    ASSERT_TRUE(Armed());
    StartPrimary();
    ASSERT_TRUE(WaitFor([&] { return Shots().size() == 3; }));
    QDialog dialog(&form);
    dialog.setModal(true);
    dialog.show();
    Silence();
    ASSERT_TRUE(WaitFor([&] { return !Armed(); }, 2000));
    EXPECT_EQ(LogCount("Основная станция молчит, шоу не продолжено: у резервной станции было "
                       "открыто окно"),
              1);
    dialog.hide();
    WaitFor([] { return false; }, 500);
    EXPECT_FALSE(form.Player().IsRunning());
    EXPECT_EQ(Shots().size(), 3u);
}

}  // namespace
}  // namespace kv
