// Shows with a soundtrack played through a sound server of the test's own, driven by real
// keys on a field of the test's own: a server that stops answering, a join of the music
// after a stop, and shots by hand beside the automatic ones.
#include "rigs/console/ConsoleTestPlatform.h"
#include "rigs/console/FieldConsole.h"
#include "audio/PlaybackStream.h"
#include "rigs/SoundtrackFiles.h"
#include "rigs/VirtualSoundServer.h"
#include "field/bus/WireFrame.h"
#include "show/player/ExtPlayer.h"
#include "support/lang/AddedMessages.h"
#include "support/platform/Platform.h"

#include <QEventLoop>
#include <QMetaObject>
#include <QTest>
#include <QTimer>
#include <QTreeWidget>
#include <QWindow>

#include <algorithm>
#include <chrono>
#include <optional>
#include <thread>

namespace kv {
namespace {

constexpr int kStallMs = 3000;
constexpr int kTickMs = 25;
const std::string kField = "[device1]\nKind=module\nAddress=1\nVersion=46B\nChannels=16\n";

class SoundStallTest : public FieldConsoleTest {
protected:
    SoundStallTest()
    {
        InstallPlaybackOutput([server = server](std::unique_ptr<TAudioDecoder> decoder) {
            return std::make_unique<TPlaybackStream>(std::move(decoder), server);
        });
    }
    ~SoundStallTest() override
    {
        server->Release();
        windows.reset();
        InstallPlaybackOutput(nullptr);
    }
    void Key(Qt::Key key, Qt::KeyboardModifiers modifiers = Qt::NoModifier)
    {
        QTest::keyClick(Form().windowHandle(), key, modifiers);
    }
    // The field, the scenario (F2) and six seconds of music (F3), armed (F1).
    void Prepare(const std::string& scenario)
    {
        Start(kField);
        Register(1);
        folder.WriteFile("show.txt", scenario);
        TestPlatform().openFiles = {folder.Path() + "show.txt", sounds.Make("music.wav", 6, "")};
        Key(Qt::Key_F2);
        Key(Qt::Key_F3);
        ASSERT_TRUE(Form().Player().Soundtrack().Loaded());
        Key(Qt::Key_F1);
    }
    int LogCount(const std::string& line)
    {
        const auto log = TConsoleFolder::LogMessages(Form().RunLogFile());
        return static_cast<int>(std::count(log.begin(), log.end(), line));
    }
    // Shots of channel (from 0) on the field.
    int Shots(int channel)
    {
        const auto shots = Field().Shots();
        return static_cast<int>(std::count_if(shots.begin(), shots.end(), [channel](const TShotEntry& shot) {
            return shot.channel == channel;
        }));
    }
    // When the first frame of this code left the PC after the tick, as a tick.
    std::optional<uint32_t> SentAfter(uint32_t tick, uint8_t code, bool stopForm = false)
    {
        for (const TFrameEntry& frame : Field().Frames())
            if (frame.origin == TFrameOrigin::Pc && frame.bytes.size() >= 4 &&
                frame.bytes[0] == code && (!stopForm || (frame.bytes[3] & 0x80) == 0) &&
                static_cast<int32_t>(FieldTick(frame.startNs) - tick) >= 0)
                return FieldTick(frame.startNs);
        return std::nullopt;
    }

    // The window's own event loop, which takes events the moment they come.
    static bool RunEventsUntil(const std::function<bool()>& done, int ms)
    {
        QEventLoop loop;
        QTimer poll;
        QObject::connect(&poll, &QTimer::timeout, &loop, [&] {
            if (done())
                loop.quit();
        });
        poll.start(2);
        QTimer::singleShot(ms, &loop, &QEventLoop::quit);
        loop.exec();
        return done();
    }

    std::shared_ptr<TVirtualSoundServer> server = std::make_shared<TVirtualSoundServer>();
    TSoundtrackFolder sounds;
};

enum class TStopBy { F6, Esc, Bus };

class StalledServerStop : public SoundStallTest, public ::testing::WithParamInterface<TStopBy> {};

TEST_P(StalledServerStop, TheShowGoesOnAndStopsWithinATick)
{
    // A cue every quarter of a second.
    std::string scenario;
    for (int cue = 1; cue <= 16; ++cue)
        scenario += "0:0" + std::to_string(cue / 4) + "." +
                    (cue % 4 == 0 ? "00" : std::to_string(cue % 4 * 25)) + "\t1\t" +
                    std::to_string(cue) + "\n";
    Prepare(scenario);
    Key(Qt::Key_F5);
    ASSERT_TRUE(Form().Player().IsRunning());
    QTest::qWait(500);
    server->Stall(TServerStall::Everything, kStallMs);
    const uint32_t stalled = Platform().TickCount();

    // The operator's stop a second into the stall, from outside the window's thread: the
    // window takes it when it is free to.
    uint32_t asked = 0;
    std::thread operatorHand;
    if (GetParam() == TStopBy::Bus) {
        Field().InjectFrame(0, Field().ElapsedMs() + 1000, MakeWireFrame(0x90, 0, 6, 0, 0, 0));
    } else {
        const Qt::Key key = GetParam() == TStopBy::F6 ? Qt::Key_F6 : Qt::Key_Escape;
        operatorHand = std::thread([this, key, &asked] {
            std::this_thread::sleep_for(std::chrono::milliseconds(1000));
            asked = Platform().TickCount();
            QMetaObject::invokeMethod(&Form(), [this, key] { Key(key); }, Qt::QueuedConnection);
        });
    }
    const bool stopped = RunEventsUntil([&] { return !Form().Player().IsRunning(); }, 1000 + kStallMs);
    if (operatorHand.joinable())
        operatorHand.join();
    ASSERT_TRUE(stopped);
    if (GetParam() == TStopBy::Bus)
        for (const TFrameEntry& frame : Field().Frames())
            if (frame.origin == TFrameOrigin::Field && frame.bytes[0] == 0x90)
                asked = frame.Tick();
    EXPECT_TRUE(server->Holding()) << "the stop came only as the server answered again";

    // The show went on by its own clock meanwhile.
    EXPECT_EQ(LogCount(kMsgSoundtrackStalled.text), 1);
    const std::vector<TShotEntry> fired = Field().Shots();
    const auto firedInStall = std::count_if(fired.begin(), fired.end(), [&](const TShotEntry& shot) {
        return static_cast<int32_t>(shot.Tick() - stalled) > 0;
    });
    EXPECT_GE(firedInStall, 3) << "the show waited for the server";

    const std::optional<uint32_t> notice = SentAfter(asked, 0x11);
    ASSERT_TRUE(notice.has_value());
    EXPECT_LE(static_cast<int32_t>(*notice - asked), kTickMs);
    if (GetParam() != TStopBy::Bus) {
        const std::optional<uint32_t> clockStop = SentAfter(asked, 0x90, true);
        ASSERT_TRUE(clockStop.has_value());
        EXPECT_LE(static_cast<int32_t>(*clockStop - asked), kTickMs);
    }

    // The stall ends: nothing that fell due in it fires after the stop.
    const size_t shots = Field().Shots().size();
    ASSERT_TRUE(RunEventsUntil([&] { return !server->Holding(); }, kStallMs));
    QTest::qWait(300);
    EXPECT_EQ(Field().Shots().size(), shots);
    EXPECT_EQ(LogCount(kMsgSoundtrackStalled.text), 1);
}

INSTANTIATE_TEST_SUITE_P(Keys, StalledServerStop,
                         ::testing::Values(TStopBy::F6, TStopBy::Esc, TStopBy::Bus),
                         [](const auto& info) {
                             return std::string(info.param == TStopBy::F6    ? "F6"
                                                : info.param == TStopBy::Esc ? "Esc"
                                                                              : "Bus");
                         });

// The show runs half a second ahead of the music (offset +500 ms); stopped after two cues,
// it is started again on the music that played on. The test once moved the start point
// back (F4, Enter) before the start and expected the join all the same; a start point
// chosen while the music plays on now stops it (StartPointChosenWhileTheMusicPlaysOn).
TEST_F(SoundStallTest, AJoinOfTheMusicAfterAStopFiresNoCueOfTheStoppedShowAgain)
{
    Prepare("0:00.50\t1\t1\n0:00.80\t1\t2\n0:01.50\t1\t3\n0:02.50\t1\t4\n");
    for (int step = 0; step < 10; ++step)
        Key(Qt::Key_Plus, Qt::KeypadModifier);
    ASSERT_EQ(Form().Player().Offset(), 500);
    Key(Qt::Key_F5);
    ASSERT_TRUE(WaitFor([&] { return Form().Player().FiredCount() == 2; }, 3000));
    Key(Qt::Key_F6);
    ASSERT_FALSE(Form().Player().IsRunning());
    ASSERT_TRUE(Form().Player().Soundtrack().IsPlaying());
    Key(Qt::Key_F5);
    ASSERT_TRUE(Form().Player().IsRunning());
    ASSERT_TRUE(WaitFor([&] { return !Form().Player().IsRunning(); }, 5000));
    for (int channel = 0; channel < 4; ++channel)
        EXPECT_EQ(Shots(channel), 1) << "channel " << channel + 1;
    EXPECT_EQ(LogCount("Запуск, пульт: 1, канал: 1"), 1);
}

// Stopped at 1.5 s, the music playing on; the operator chooses a start point and starts.
// The start once joined the music where it was and fired every cue from there, the 3 s cue
// of a section skipped (perhaps for safety) included, while the screen and the log showed
// the chosen start point.
class StartPointChosenWhileTheMusicPlaysOn : public SoundStallTest,
                                             public ::testing::WithParamInterface<Qt::Key> {};

TEST_P(StartPointChosenWhileTheMusicPlaysOn, StopsTheMusicAndTheShowStartsThere)
{
    const bool toTheLastCue = GetParam() == Qt::Key_Return;
    Prepare("0:01\t1\t1\n0:03\t1\t2\n0:05\t1\t3\n");
    Key(Qt::Key_F5);
    ASSERT_TRUE(WaitFor([&] { return Form().Player().CurrentTime() >= 1500; }, 3000));
    Key(Qt::Key_F6);
    ASSERT_FALSE(Form().Player().IsRunning());
    ASSERT_TRUE(Form().Player().Soundtrack().IsPlaying());
    if (toTheLastCue) {
        Key(Qt::Key_PageDown);
        const auto& list = Child<QTreeWidget>(Form(), "CueList");
        ASSERT_EQ(list.indexOfTopLevelItem(list.currentItem()), 2) << "the 5 s cue's row";
    }
    Key(GetParam());
    EXPECT_EQ(Form().Player().CurrentTime(), toTheLastCue ? 5000 : 0);
    EXPECT_FALSE(Form().Player().Soundtrack().IsPlaying());
    Key(Qt::Key_F5);
    ASSERT_TRUE(Form().Player().IsRunning());
    EXPECT_EQ(LogCount("Точка запуска: по фонограмме"), 0);
    // The first show started at 0 as well.
    EXPECT_EQ(LogCount(toTheLastCue ? "Точка запуска: 0:00:05" : "Точка запуска: 0:00:00"),
              toTheLastCue ? 1 : 2);
    ASSERT_TRUE(WaitFor([&] { return !Form().Player().IsRunning(); }, 8000));
    // Back at the beginning the first cue fires again, as it does after a stop without music.
    EXPECT_EQ(Shots(0), toTheLastCue ? 1 : 2);
    EXPECT_EQ(Shots(1), toTheLastCue ? 0 : 1) << "the 3 s cue";
    EXPECT_EQ(Shots(2), 1);
}

INSTANTIATE_TEST_SUITE_P(Keys, StartPointChosenWhileTheMusicPlaysOn,
                         ::testing::Values(Qt::Key_Return, Qt::Key_F4), [](const auto& info) {
                             return std::string(info.param == Qt::Key_F4 ? "F4" : "Enter");
                         });

// Another scenario loaded while the music of the stopped show plays on: the start once
// joined the music and fired the new scenario from the music's position.
TEST_F(SoundStallTest, AScenarioLoadedWhileTheMusicPlaysOnStartsFromItsBeginning)
{
    Prepare("0:01\t1\t1\n0:03\t1\t2\n");
    Key(Qt::Key_F5);
    ASSERT_TRUE(WaitFor([&] { return Form().Player().CurrentTime() >= 1500; }, 3000));
    Key(Qt::Key_F6);
    ASSERT_TRUE(Form().Player().Soundtrack().IsPlaying());
    Key(Qt::Key_Escape);  // idle: the scenario key works again
    Key(Qt::Key_F2);      // empties the slot
    folder.WriteFile("other.txt", "0:02\t1\t5\n");
    TestPlatform().openFiles = {folder.Path() + "other.txt"};
    Key(Qt::Key_F2);
    ASSERT_EQ(Form().Projects().Project(0)->Count(), 1);
    EXPECT_FALSE(Form().Player().Soundtrack().IsPlaying());
    Key(Qt::Key_F1);
    Key(Qt::Key_F5);
    ASSERT_TRUE(Form().Player().IsRunning());
    EXPECT_EQ(LogCount("Точка запуска: 0:00:00"), 2) << "the first show's and this one's";
    EXPECT_EQ(LogCount("Точка запуска: по фонограмме"), 0);
    Key(Qt::Key_F6);
    Key(Qt::Key_F6);
}

TEST_F(SoundStallTest, ACueFiredByHandInAutomaticAndManualFiringIsNotFiredAgain)
{
    Prepare("0:00.50\t1\t1\n0:01.50\t1\t3\n");
    Key(Qt::Key_F1);  // disarmed: the modes change only while idle
    Key(Qt::Key_F1, Qt::ControlModifier);
    Key(Qt::Key_F1, Qt::ControlModifier);
    ASSERT_EQ(Form().Player().Setup().firingMode, kFiringBoth);
    Key(Qt::Key_Down);  // module 1 on the firing keys
    Key(Qt::Key_F1);
    Key(Qt::Key_F5);
    ASSERT_TRUE(Form().Player().IsRunning());
    QTest::qWait(200);
    Key(Qt::Key_3);
    const int32_t byHandAt = Form().Player().CurrentTime();
    ASSERT_EQ(LogCount("Ручной запуск, пульт: 1, канал: 3"), 1);
    ASSERT_TRUE(WaitFor([&] { return !Form().Player().IsRunning(); }, 5000));
    EXPECT_EQ(Shots(2), 1);
    EXPECT_EQ(Shots(0), 1);
    EXPECT_EQ(LogCount("Запуск, пульт: 1, канал: 3"), 0);
    const TCueRecord& record = Form().Player().FiringReport().Records()[1];
    EXPECT_EQ(record.outcome, TCueOutcome::ByHand);
    // The moment of the shot by hand, not of its cue at 1.5 s (the clock follows the music,
    // so it may read a millisecond apart from the last tick's).
    EXPECT_GE(record.sentAt, byHandAt - kTickMs);
    EXPECT_LT(record.sentAt, byHandAt + 100);
}

}  // namespace
}  // namespace kv
