// A rehearsal from the keyboard: the bus switched to a model of the installation found, a show
// run on it, the real converters closed meanwhile and working again afterwards.
#include "rigs/console/ConsoleTestTools.h"

#include "devices/kinds/CommonControl.h"
#include "devices/registry/Controls.h"
#include "devices/kinds/HVControl.h"
#include "field/file/FieldFile.h"
#include "field/bus/FieldPort.h"
#include "field/devices/SimDevice.h"
#include "link/PortProto.h"
#include "show/player/ExtPlayer.h"
#include "support/lang/AddedMessages.h"

#include <QLabel>
#include <QPushButton>
#include <QSpinBox>
#include <QTest>

#include <algorithm>
#include <atomic>

namespace kv {
namespace {

// Module 5 has an open channel 3; module 9 is never tested.
constexpr char kField[] = "[device1]\nKind=module\nAddress=5\nChannels=8\nOpen=3\n"
                          "[device2]\nKind=module\nAddress=9\nChannels=6\n";
constexpr char kScenario[] = "0:00.10\t5\t1\n0:00.20\t9\t2\n0:00.30\t5\t2\n";

// The real converters: a field behind them, a count of every write that reached them, and
// of every use at all while they were closed.
class TRecordingTransport : public TFieldPort {
public:
    using TFieldPort::TFieldPort;

    int Writes() const { return writes_; }
    int UsesWhileClosed() const { return usesWhileClosed_; }
    bool IsOpen() const { return open_; }

    bool Open() override { return open_ = TFieldPort::Open(); }
    void Close() override
    {
        open_ = false;
        TFieldPort::Close();
    }
    bool Reopen() override { return open_ = TFieldPort::Reopen(); }
    int DeviceCount() override { return Use(), TFieldPort::DeviceCount(); }
    int BytesAvailable() override { return Use(), TFieldPort::BytesAvailable(); }
    int Read(uint8_t* buffer, int count, int converter) override
    {
        return Use(), TFieldPort::Read(buffer, count, converter);
    }
    int ReadAny(uint8_t* buffer, int count, int& converter) override
    {
        return Use(), TFieldPort::ReadAny(buffer, count, converter);
    }
    int Write(const uint8_t* buffer, int count, int converter) override
    {
        ++writes_;
        return Use(), TFieldPort::Write(buffer, count, converter);
    }

private:
    void Use()
    {
        if (!open_)
            ++usesWhileClosed_;
    }

    std::atomic<int> writes_{0};
    std::atomic<int> usesWhileClosed_{0};
    std::atomic<bool> open_{false};
};

class Rehearsal : public AuxConsoleTest {
protected:
    TRecordingTransport& StartOnRealConverters()
    {
        Start(kField);
        std::string problem;
        auto real = std::make_unique<TRecordingTransport>(LoadField(folder.Path() + "field.ini", problem));
        TRecordingTransport& recorder = *real;
        Form().Port().SwapTransport(std::move(real));
        EXPECT_TRUE(recorder.IsOpen()) << problem;
        return recorder;
    }
    bool BannerShown() { return Child<QLabel>(Form(), "RehearsalBanner").isVisible(); }
    TCommonControl& Module(int address)
    {
        return dynamic_cast<TCommonControl&>(*Form().Controls().FindByAddress(address));
    }
    void RehearsalKey() { Key(Qt::Key_F10, Qt::ControlModifier); }
    // The log's line after the first one equal to line.
    std::string LoggedAfter(const std::string& line)
    {
        const auto messages = TConsoleFolder::LogMessages(Form().RunLogFile());
        const auto at = std::find(messages.begin(), messages.end(), line);
        return at == messages.end() || at + 1 == messages.end() ? "" : *(at + 1);
    }
};

TEST_F(Rehearsal, ShowRunsOnTheModelWhileTheRealConvertersAreClosed)
{
    TRecordingTransport& real = StartOnRealConverters();
    RehearsalKey();  // nothing found yet: nothing to model
    EXPECT_FALSE(BannerShown());
    EXPECT_EQ(platform.messages.back(), Localize(kMsgRehearsalNoDevices));

    Register(5);
    Register(9);
    // A real shot waits for its check: the model must not answer it.
    SpeedUpTimers();
    Form().Player().Fire(5, 5, false, true);
    RehearsalKey();
    EXPECT_FALSE(BannerShown());
    EXPECT_EQ(platform.messages.back(), Localize(kMsgRehearsalChecksPending));
    ASSERT_TRUE(WaitFor([&] { return !Form().Player().HasUnchecked(); }));
    EXPECT_EQ(Module(5).ChannelState(5), kChannelOpen);  // burnt through on the real bus
    EnterTestPage();
    Key(Qt::Key_F1);  // module 5's channels, on the real bus
    ASSERT_EQ(Module(5).ChannelState(2), kChannelOpen);
    Key(Qt::Key_Tab);

    RehearsalKey();
    ASSERT_TRUE(BannerShown());
    EXPECT_FALSE(real.IsOpen());
    EXPECT_TRUE(Logged(Localize(kMsgRehearsalBegin) + " 2"));
    const int writesAtStart = real.Writes();

    folder.WriteFile("show.txt", kScenario);
    platform.openFiles = {folder.Path() + "show.txt"};
    Key(Qt::Key_F2);
    Key(Qt::Key_F1);
    EXPECT_EQ(Form().LaunchState(), kLaunchReady);
    EXPECT_TRUE(BannerShown());
    Key(Qt::Key_F5);
    ASSERT_TRUE(Form().Player().IsRunning());
    EXPECT_TRUE(BannerShown());
    RehearsalKey();  // refused under a show
    EXPECT_TRUE(BannerShown());
    Snapshot(Form(), "console-rehearsal");
    ASSERT_TRUE(WaitFor([&] { return !Form().Player().IsRunning(); }));
    EXPECT_EQ(LoggedAfter("Запуск проекта"), Localize(kMsgRehearsalShow));

    // Every cue went out on the model; the model's igniters burnt through.
    std::vector<std::pair<int, int>> shots;
    for (const TShotEntry& shot : Field().Shots())
        shots.emplace_back(shot.address, shot.channel);
    EXPECT_EQ(shots, (std::vector<std::pair<int, int>>{{5, 0}, {9, 1}, {5, 1}}));
    ASSERT_TRUE(WaitFor([&] { return Module(5).ChannelState(0) == kChannelOpen; }));
    Key(Qt::Key_F1);  // disarmed
    EnterTestPage();
    EXPECT_TRUE(BannerShown());
    Key(Qt::Key_Tab);

    EXPECT_EQ(real.Writes(), writesAtStart);
    RehearsalKey();
    EXPECT_FALSE(BannerShown());
    EXPECT_TRUE(real.IsOpen());
    EXPECT_EQ(real.UsesWhileClosed(), 0);
    EXPECT_TRUE(Logged(Localize(kMsgRehearsalEnd)));
    // The real channels are as the real test found them, not as the model's shots left them.
    EXPECT_EQ(Module(5).ChannelState(0), kChannelConnected);
    EXPECT_EQ(Module(5).ChannelState(2), kChannelOpen);
    // The real bus answers again.
    ASSERT_TRUE(WaitFor([&] { return real.Writes() > writesAtStart; }));
    EXPECT_NE(Form().Controls().AddOrRefresh(9, 0), nullptr);
    EXPECT_EQ(Module(9).lastResult, 0);
}

// Armed for one bus, the start key pressed by habit after the switch fired the show on the
// other: after a rehearsal, on the real converters from the rehearsal's last cue, unasked.
TEST_F(Rehearsal, SwitchingTheBusEitherWayDisarms)
{
    TRecordingTransport& real = StartOnRealConverters();
    Register(5);
    Register(9);
    LoadScenario(kScenario);
    Key(Qt::Key_F1);
    RehearsalKey();
    ASSERT_TRUE(BannerShown());
    EXPECT_EQ(Form().LaunchState(), kLaunchIdle);
    Key(Qt::Key_F5);
    EXPECT_FALSE(Form().Player().IsRunning()) << "started on the model, armed for the real bus";
    ASSERT_TRUE(WaitFor([&] { return !Form().Player().IsRunning(); }));

    // Armed on the model (Esc first disarms, should the switch have left it armed).
    Key(Qt::Key_Escape);
    Key(Qt::Key_F1);
    Key(Qt::Key_F5);
    ASSERT_TRUE(Form().Player().IsRunning());
    ASSERT_TRUE(WaitFor([&] { return !Form().Player().IsRunning(); }));
    RehearsalKey();
    ASSERT_FALSE(BannerShown());
    EXPECT_EQ(Form().LaunchState(), kLaunchIdle);
    Key(Qt::Key_F5);
    EXPECT_FALSE(Form().Player().IsRunning()) << "started on the real bus, armed on the model";
    WaitFor([&] { return !Form().Player().IsRunning(); });
    EXPECT_TRUE(real.Field().Shots().empty());
}

// A show played to its end, then a rehearsal from there and the real bus again: the rehearsal
// starts where the real show stands, and the real bus goes on from its own show, whatever the
// model fired.
TEST_F(Rehearsal, TheRealBusGoesOnFromItsOwnShowAfterARehearsal)
{
    TRecordingTransport& real = StartOnRealConverters();
    Register(5);
    Register(9);
    SpeedUpTimers();
    LoadScenario(kScenario);
    const auto showOnce = [&] {
        Key(Qt::Key_F1);
        Key(Qt::Key_F5);
        ASSERT_TRUE(WaitFor([&] { return !Form().Player().IsRunning(); }));
        ASSERT_TRUE(WaitFor([&] { return !Form().Player().HasUnchecked(); }));
    };
    showOnce();
    ASSERT_EQ(real.Field().Shots().size(), 3u);
    RehearsalKey();
    ASSERT_TRUE(BannerShown());
    showOnce();
    EXPECT_EQ(Field().Shots().size(), 1u) << "the model goes on from where the real show stands";
    RehearsalKey();
    ASSERT_FALSE(BannerShown());
    showOnce();
    EXPECT_EQ(real.Field().Shots().size(), 3u);
}

// The charges of a real show's high-voltage shots follow the setting the console keeps: one
// typed on the model's module must not stay on the real module's entry.
TEST_F(Rehearsal, AHighVoltageSettingTypedOnTheModelIsNotTheRealModulesAfterwards)
{
    Start("[device1]\nKind=hv\nAddress=20\nChannels=4\nHVSetting=15\n");
    Register(20);
    auto& module = dynamic_cast<THVControl&>(*Form().Controls().FindByAddress(20));
    ASSERT_EQ(module.hvSetting, 15);
    RehearsalKey();
    ASSERT_TRUE(BannerShown());
    EnterTestPage();
    auto& setting = Child<QSpinBox>(Form(), "seHVE");
    setting.setFocus();
    Key(Qt::Key_A, Qt::ControlModifier);
    Key(Qt::Key_2);
    Key(Qt::Key_0);
    Key(Qt::Key_Return);
    ASSERT_EQ(module.hvSetting, 20) << "written into the model";
    Key(Qt::Key_Tab);
    RehearsalKey();
    ASSERT_FALSE(BannerShown());
    EnterTestPage();
    EXPECT_EQ(setting.value(), 15);
    EXPECT_EQ(module.hvSetting, 15);
}

// Refused, the rehearsal key is no F10 with Ctrl held: a running search goes on.
TEST_F(Rehearsal, RefusedKeyLeavesTheSearchRunning)
{
    StartOnRealConverters();
    Register(5);
    Key(Qt::Key_F10);
    ASSERT_TRUE(Child<QPushButton>(Form(), "SearchBtn").isChecked());
    RehearsalKey();
    EXPECT_TRUE(Child<QPushButton>(Form(), "SearchBtn").isChecked());
    EXPECT_FALSE(BannerShown());
    Key(Qt::Key_F10);
    EXPECT_FALSE(Child<QPushButton>(Form(), "SearchBtn").isChecked());
}

// Shots logged during a rehearsal must never read as a real show's in the archive.
TEST_F(Rehearsal, ClosingTheProgramEndsTheRehearsalInTheLog)
{
    StartOnRealConverters();
    Register(5);
    RehearsalKey();
    ASSERT_TRUE(BannerShown());
    ASSERT_TRUE(Form().close());
    const auto messages = TConsoleFolder::LogMessages(Form().RunLogFile());
    const auto end = std::find(messages.begin(), messages.end(), Localize(kMsgRehearsalEnd));
    const auto exit = std::find(messages.begin(), messages.end(), "Выход из программы");
    ASSERT_NE(end, messages.end());
    EXPECT_LT(end, exit);
}

// A module that missed a real poll may be a spare now: a search in the model, which makes new
// entries of such modules, must not let the next real search keep the old module's results.
TEST_F(Rehearsal, AModuleThatMissedARealPollIsReadAnewByTheNextRealSearch)
{
    Start(kField);
    Register(5);
    Register(9);
    EnterTestPage();
    Key(Qt::Key_F1);  // module 5's channels
    ASSERT_EQ(Module(5).ChannelState(2), kChannelOpen);
    Key(Qt::Key_Tab);
    SpeedUpTimers();
    Field().WithDevice(5, [](TSimDevice& device) { device.Faults().silentFromNs = 0; });
    ASSERT_TRUE(WaitFor([&] { return Module(5).lastResult != 0; }));
    Field().WithDevice(5, [](TSimDevice& device) { device.Faults().silentFromNs = kNeverNs; });
    const auto searchPastModule5 = [&] {
        Key(Qt::Key_F10);
        ASSERT_TRUE(WaitFor(
            [&] {
                const int address = Child<QLabel>(Form(), "SearchIdLabel").text().toInt();
                return address > 5 && address < 200;
            },
            20000));
        Key(Qt::Key_F10);
        ASSERT_FALSE(Child<QPushButton>(Form(), "SearchBtn").isChecked());
    };

    RehearsalKey();
    ASSERT_TRUE(BannerShown());
    searchPastModule5();
    RehearsalKey();
    ASSERT_FALSE(BannerShown());
    searchPastModule5();
    EXPECT_EQ(Module(5).ChannelState(2), kChannelUntested);
    EXPECT_FALSE(Module(5).channelsTestedAt.has_value());
}

}  // namespace
}  // namespace kv
