// The memory operations through the main window's keys: progress, abort, erase, the remote
// controller and the black-box file, on a small simulated field.
#include "rigs/console/ConsoleTestTools.h"
#include "console/dialogs/MemoryForm.h"
#include "console/mainwindow/ConsoleWindows.h"
#include "console/mainwindow/MainForm.h"
#include "devices/memory/BlackBoxRecord.h"
#include "devices/memory/ModuleTransfer.h"
#include "devices/registry/Controls.h"
#include "field/devices/SimRemote.h"
#include "field/bus/WireFrame.h"
#include "show/player/ExtPlayer.h"
#include "support/lang/AddedMessages.h"
#include "support/text/Conversions.h"
#include "support/platform/FilePlaces.h"

#include <QAction>
#include <QApplication>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QTimer>
#include <QTest>
#include <gtest/gtest.h>

#include <sys/resource.h>

#include <algorithm>
#include <csignal>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>

namespace kv {
namespace {

const std::string kField = "[device1]\nKind=module\nAddress=1\nVersion=46B\nChannels=64\n"
                           "BlackBox=40\nEraseMs=300\nFastEraseMs=300\n"
                           "[device2]\nKind=module\nAddress=2\nVersion=46B\nChannels=64\n"
                           "BlackBox=7\nEraseMs=300\nFastEraseMs=300\n"
                           "[device3]\nKind=remote\nVersion=146\nEraseMs=300\n";
// Fast lines for the black box, which is 7936 reads a module.
const std::string kFastField = "[field]\nBaud=1000000\nTurnaround=0\n" + kField;

// cues on each module, a second apart.
std::string Scenario(int cues = 60)
{
    std::string text;
    for (int channel = 1; channel <= cues; ++channel) {
        const int seconds = channel % 60;
        const std::string time = std::to_string(channel / 60) + ":" +
                                 (seconds < 10 ? "0" : "") + std::to_string(seconds) + ".00";
        for (int module = 1; module <= 2; ++module)
            text += time + "\t" + std::to_string(module) + "\t" + std::to_string(channel) + "\n";
    }
    return text;
}

std::string FileBytes(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), {}};
}

class MemoryFormTest : public AuxConsoleTest {
protected:
    void Open(const std::string& field = kField, const std::string& scenario = Scenario())
    {
        AuxConsoleTest::Open(field, scenario, {0, 1, 2});
    }
};

TEST_F(MemoryFormTest, WriteShowsItsProgressAndOtmenaAbortsItMidway)
{
    Open();
    std::vector<int> gauge;
    QString module;
    bool pollStopped = false;
    // Looks in at every pass of the operation's message pump, as the operator's eye would.
    QTimer watch;
    QObject::connect(&watch, &QTimer::timeout, [&] {
        auto* window = dynamic_cast<TMemoryForm*>(QApplication::activeModalWidget());
        if (!window || !window->isVisible())
            return;
        auto& bar = Child<QProgressBar>(*window, "Gauge");
        if (gauge.empty()) {
            EXPECT_EQ(Child<QLabel>(*window, "TextLabel").text(), "Запись сценария в пульты...");
            pollStopped = !Child<QTimer>(Form(), "IdleTimer").isActive();
        }
        if (gauge.empty() || gauge.back() != bar.value())
            gauge.push_back(bar.value());
        if (bar.value() >= 45) {  // halfway through module 1, the second of three devices
            watch.stop();
            module = Child<QLabel>(*window, "Label1").text();
            Snapshot(*window, "console-memory");
            QTest::mouseClick(&Child<QPushButton>(*window, "CancelBtn"), Qt::LeftButton);
        }
    });
    watch.start(5);
    QTest::mouseClick(&Child<QPushButton>(Form(), "SaveBtn"), Qt::LeftButton);

    EXPECT_TRUE(pollStopped);
    ASSERT_GE(gauge.size(), 3u) << "the gauge did not move step by step";
    EXPECT_LT(gauge.back(), 100);
    EXPECT_TRUE(module.startsWith("Пульт: ")) << module.toStdString();
    EXPECT_TRUE(module.contains(", канал: ")) << module.toStdString();
    EXPECT_TRUE(Logged("Запись сценария в пульты... Операция прервана."));
    EXPECT_EQ(platform.messages, std::vector<std::string>{"Операция прервана."});
    EXPECT_FALSE(Child<QWidget>(Form(), "TMemoryForm").isVisible());
    EXPECT_TRUE(Child<QTimer>(Form(), "IdleTimer").isActive());
    // What was written so far stays, the rest is missing.
    EXPECT_EQ(TModuleTransfer(Form().Controls()).VerifyScenario(Form().Projects().Project(0)->Cues()), -100);
}

TEST_F(MemoryFormTest, AStopHeardOnTheBusLeavesThePollOffUntilTheWriteIsOver)
{
    Open();
    SpeedUpTimers();
    Field().ClearRecord();
    bool stopped = false;
    QTimer watch;
    QObject::connect(&watch, &QTimer::timeout, [&] {
        auto* window = dynamic_cast<TMemoryForm*>(QApplication::activeModalWidget());
        if (stopped || !window || !window->isVisible() || SentFrames(0x91).size() < 10)
            return;
        stopped = true;  // another master's stop, as the remote controller sends it
        Field().InjectFrame(0, Field().ElapsedMs(), MakeWireFrame(0x90, 0, 0, 0, 0, 0));
    });
    watch.start(5);
    Key(Qt::Key_F8);
    watch.stop();

    ASSERT_TRUE(stopped);
    EXPECT_TRUE(Logged("Получена внешняя команда остановки")) << LogText();
    EXPECT_TRUE(Logged("Запись сценария в пульты... Успешно")) << LogText();
    // No status query of the poll between the first cue write and the last.
    const std::vector<TFrameEntry> frames = Field().Frames();
    const auto isCode = [](uint8_t code) {
        return [code](const TFrameEntry& entry) {
            return entry.origin == TFrameOrigin::Pc && !entry.bytes.empty() &&
                   entry.bytes[0] == code;
        };
    };
    const auto firstWrite = std::find_if(frames.begin(), frames.end(), isCode(0x91));
    const auto lastWrite = std::find_if(frames.rbegin(), frames.rend(), isCode(0x91)).base();
    EXPECT_EQ(std::count_if(firstWrite, lastWrite, isCode(0x85)), 0);
    EXPECT_TRUE(WaitFor([&] { return SentFrames(0x85).size() > 0; }, 2000))
        << "the poll is back after the write";
}

TEST_F(MemoryFormTest, EraseAndTheRemoteControllerWriteWithModulesOnTheLineAskFirst)
{
    Open(kField, Scenario(5));  // the controller takes a tenth of a second a cue
    Key(Qt::Key_F8, Qt::ControlModifier);
    EXPECT_EQ(platform.messages,
              std::vector<std::string>{"Вы действительно хотите удалить сценарий во всех пультах?"});
    EXPECT_FALSE(Logged("Удаление сценария в пультах... Успешно"));

    platform.messages.clear();
    platform.yesNo = TAnswer::Yes;
    Key(Qt::Key_F8, Qt::ControlModifier);
    EXPECT_TRUE(Logged("Удаление сценария в пультах... Успешно"));
    EXPECT_EQ(platform.messages.back(), "Операция успешно завершена");

    // The modules would take the controller's cue writes as their own: the write waits for a
    // Yes, where it once followed an OK-only message.
    const std::string modulesOn =
        "Необходимо выключить подключенные пульты.\nЗаписать сценарий в ПДУ(Р)?";
    platform.messages.clear();
    platform.yesNo = TAnswer::No;
    Key(Qt::Key_F8, Qt::ShiftModifier);
    EXPECT_EQ(platform.messages, std::vector<std::string>{modulesOn});
    EXPECT_FALSE(Logged("Запись сценария в ПДУ(Р)... Успешно"));
    platform.messages.clear();
    platform.yesNo = TAnswer::Yes;
    Key(Qt::Key_F8, Qt::ShiftModifier);
    ASSERT_EQ(platform.messages.size(), 2u);
    EXPECT_EQ(platform.messages[0], modulesOn);
    EXPECT_EQ(platform.messages[1], "Операция успешно завершена");
    EXPECT_TRUE(Logged("Запись сценария в ПДУ(Р)... Успешно"));
    Key(Qt::Key_F9, Qt::ShiftModifier);
    EXPECT_TRUE(Logged("Проверка сценария в ПДУ(Р)... Успешно"));
}

TEST_F(MemoryFormTest, AFailedEraseOfTheRemoteControllerStopsItsWrite)
{
    Open(kField, Scenario(5));
    platform.yesNo = TAnswer::Yes;
    // The controller erases and opens its write mode, but its answer comes back damaged.
    Field().WithDevice(0, [](TSimDevice& device) { device.Faults().badCheckReplies = 1; });
    Key(Qt::Key_F8, Qt::ShiftModifier);
    EXPECT_TRUE(Logged("Запись сценария в ПДУ(Р)... Ошибка передачи данных."));
    EXPECT_EQ(platform.messages.back(), "Ошибка передачи данных.");
    int stored = -1;
    Field().WithDevice(0, [&](TSimDevice& device) {
        stored = dynamic_cast<TSimRemote&>(device).RecordCount();
    });
    EXPECT_EQ(stored, 0) << "cues written after the failed erase";
}

TEST_F(MemoryFormTest, AutonomousShowFromTheKeysFiresTheModulesMemoryUntilTheStopKeyAndF5FiresNoneTwice)
{
    AuxConsoleTest::Open(kField, "0:00.30\t1\t1\n0:00.60\t2\t1\n0:01.20\t1\t2\n0:02.50\t2\t2\n",
                         {1, 2});
    Key(Qt::Key_F8);
    Key(Qt::Key_F9);
    EXPECT_TRUE(Logged("Запись сценария в пульты... Успешно"));
    EXPECT_TRUE(Logged("Проверка сценария в пультах... Успешно"));
    Key(Qt::Key_F1, Qt::ShiftModifier);
    ASSERT_EQ(Form().Player().Setup().controlMode, kControlAutonomous);
    Field().ClearRecord();
    Key(Qt::Key_F1);
    Key(Qt::Key_F5);
    ASSERT_TRUE(Form().Player().IsRunning());
    ASSERT_TRUE(WaitFor([&] { return Field().Shots().size() == 3; }, 5000));
    // A cue the modules reached in the last 20 ms before a stop is reported missed, being in
    // doubt: the stop comes past that.
    WaitFor([] { return false; }, 60);
    Key(Qt::Key_F6);
    EXPECT_FALSE(Form().Player().IsRunning());
    WaitFor([] { return false; }, 1600);  // past the last cue's time

    const std::vector<TShotEntry> shots = Field().Shots();
    ASSERT_EQ(shots.size(), 3u) << "the cue at 2.5 s came after the stop";
    for (const TShotEntry& shot : shots)
        EXPECT_EQ(shot.source, TShotSource::Memory);
    EXPECT_TRUE(SentFrames(0x84).empty()) << "no fire command from the PC";
    EXPECT_TRUE(Logged("Режимы: автомат, автономный"));
    EXPECT_TRUE(Logged("Запуск, пульт: 1, канал: 2"));
    EXPECT_FALSE(Logged("Запуск, пульт: 2, канал: 2"));

    // F5 goes on from the stop. It once started the modules' clocks at the stop's tenth, and
    // started from standing they fired the cue at 1.2 s once more; after the end, the finale.
    Key(Qt::Key_F5);
    ASSERT_TRUE(Form().Player().IsRunning());
    ASSERT_TRUE(WaitFor([&] { return !Form().Player().IsRunning(); }, 5000));
    ASSERT_EQ(Form().Player().CurrentTime(), 2500);
    Key(Qt::Key_F5);
    ASSERT_TRUE(Form().Player().IsRunning());
    ASSERT_TRUE(WaitFor([&] { return !Form().Player().IsRunning(); }, 2000));
    const std::vector<TShotEntry> resumed = Field().Shots();
    ASSERT_EQ(resumed.size(), 4u);
    EXPECT_EQ(resumed[3].address, 2);
    EXPECT_EQ(resumed[3].channel, 1);
    for (const TShotEntry& shot : resumed)
        EXPECT_EQ(shot.shot, 1) << "module " << shot.address << ", channel " << shot.channel + 1;
}

// A stop the converter did not take leaves the modules playing on from their memory, and its
// repeats end with the program: Ctrl+Alt+X used to close the console on them at once.
TEST_F(MemoryFormTest, AnExitWhileTheStopIsNotTakenAsksFirstAndTheRepeatsGoOn)
{
    AuxConsoleTest::Open(kField, "0:00.30\t1\t1\n0:00.60\t2\t1\n0:06.00\t2\t2\n", {1, 2});
    Key(Qt::Key_F8);
    ASSERT_TRUE(Logged("Запись сценария в пульты... Успешно"));
    Key(Qt::Key_F1, Qt::ShiftModifier);
    ASSERT_EQ(Form().Player().Setup().controlMode, kControlAutonomous);
    Key(Qt::Key_F1);
    Key(Qt::Key_F5);
    ASSERT_TRUE(Form().Player().IsRunning());
    ASSERT_TRUE(WaitFor([&] { return Field().Shots().size() == 2; }, 5000));
    Field().SetBadEcho(0, true);
    Key(Qt::Key_F6);
    ASSERT_FALSE(Form().Player().IsRunning());
    ASSERT_TRUE(Logged(Localize(kMsgStopNotTaken))) << LogText();
    Key(Qt::Key_F1);  // disarmed: the exit key is allowed
    ASSERT_TRUE(Child<QAction>(Form(), "ExitAction").isEnabled());

    platform.messages.clear();
    Key(Qt::Key_X, Qt::ControlModifier | Qt::AltModifier);
    EXPECT_EQ(platform.messages, std::vector<std::string>{Localize(kMsgExitWithStopOwed)});
    EXPECT_TRUE(Form().isVisible());
    EXPECT_FALSE(Logged("Выход из программы"));

    Field().SetBadEcho(0, false);
    EXPECT_TRUE(WaitFor([&] { return Logged(Localize(kMsgStopTakenOnRepeat)); }, 3000))
        << LogText();
    platform.messages.clear();
    Key(Qt::Key_X, Qt::ControlModifier | Qt::AltModifier);
    EXPECT_TRUE(platform.messages.empty());
    EXPECT_FALSE(Form().isVisible());
    EXPECT_TRUE(Logged("Выход из программы"));
}

TEST_F(MemoryFormTest, BlackBoxGoesToTheChosenFileAfterTheFormatNumber)
{
    Open(kFastField);
    platform.saveName = folder.Path() + "after-show";
    Key(Qt::Key_F9, Qt::ControlModifier);
    EXPECT_EQ(platform.prompts.back(),
              "Файлы данных|*.dat|" + RecordsFolder() + ShortDateText(LocalTimeNow()) + ".dat");
    EXPECT_TRUE(Logged("Чтение показаний \"черного ящика\"... Успешно"));
    const std::string bytes = FileBytes(folder.Path() + "after-show.DAT");
    ASSERT_EQ(bytes.size(), 4u + 2 * 31901);
    EXPECT_EQ(bytes.substr(0, 4), std::string("\x01\x00\x00\x00", 4));
    // The records as read again, but for the two read times.
    std::vector<uint8_t> again;
    ASSERT_EQ(TModuleTransfer(Form().Controls()).ReadBlackBox(again), 0);
    ASSERT_EQ(again.size(), 2 * kBlackBoxRecordSize);
    for (size_t record = 0; record < 2; ++record) {
        const auto* saved = reinterpret_cast<const uint8_t*>(bytes.data()) + 4 +
                            record * kBlackBoxRecordSize;
        const uint8_t* read = again.data() + record * kBlackBoxRecordSize;
        EXPECT_TRUE(std::equal(read, read + kBlackBoxReadTimeOffset, saved)) << record;
        EXPECT_TRUE(std::equal(read + kBlackBoxCounterOffset, read + kBlackBoxRecordSize,
                               saved + kBlackBoxCounterOffset))
            << record;
        EXPECT_NEAR(GetDouble(saved + kBlackBoxReadTimeOffset), NowInDays(), 1.0 / 1440);
    }
    EXPECT_EQ(again[0], 1);
    EXPECT_EQ(GetInt32(again.data() + kBlackBoxCounterOffset), 40);

    // A cancelled save writes nothing, and says so: it was reported as a success.
    platform.saveName.reset();
    platform.messages.clear();
    std::filesystem::remove(folder.Path() + "after-show.DAT");
    Key(Qt::Key_F9, Qt::ControlModifier);
    EXPECT_EQ(platform.messages, std::vector<std::string>{"Операция прервана."});
    EXPECT_TRUE(Logged("Чтение показаний \"черного ящика\"... Операция прервана."));
    EXPECT_FALSE(std::filesystem::exists(folder.Path() + "after-show.DAT"));
}

TEST_F(MemoryFormTest, BlackBoxOfASilentModuleLeavesTheOthersLogsSavedWithEachModulesStatus)
{
    Open(kFastField);
    Field().WithDevice(1, [](TSimDevice& device) { device.Faults().silentFromNs = 0; });
    platform.saveName = folder.Path() + "partial";
    platform.messages.clear();
    Key(Qt::Key_F9, Qt::ControlModifier);

    const std::string timeout = "Ошибка передачи данных (истекло время ожидания).";
    EXPECT_TRUE(Logged("Чтение показаний \"черного ящика\"... " + timeout));
    EXPECT_TRUE(Logged("Пульт: 1, состояние: " + timeout));
    EXPECT_TRUE(Logged("Пульт: 2, состояние: Успешно"));
    EXPECT_EQ(platform.messages,
              std::vector<std::string>{timeout + "\nПульт: 1, состояние: " + timeout +
                                       "\nПульт: 2, состояние: Успешно"});
    const std::string bytes = FileBytes(folder.Path() + "partial.DAT");
    ASSERT_EQ(bytes.size(), 4u + 2 * kBlackBoxRecordSize) << "the file reads as two records";
    const auto* silent = reinterpret_cast<const uint8_t*>(bytes.data()) + 4;
    const uint8_t* answered = silent + kBlackBoxRecordSize;
    EXPECT_EQ(silent[kBlackBoxAddressOffset], 1);
    EXPECT_EQ(GetInt32(silent + kBlackBoxStatusOffset), -3);
    EXPECT_EQ(GetInt32(silent + kBlackBoxWordsReadOffset), 0);
    EXPECT_EQ(answered[kBlackBoxAddressOffset], 2);
    EXPECT_EQ(GetInt32(answered + kBlackBoxStatusOffset), 0);
    EXPECT_EQ(GetInt32(answered + kBlackBoxWordsReadOffset), kBlackBoxWords);
    EXPECT_EQ(GetInt32(answered + kBlackBoxCounterOffset), 7);
    EXPECT_NE(GetInt32(answered + kBlackBoxLogOffset), 0) << "module 2's log is there";
}

// The disk fills up at this size while the object lives.
class TFileSizeLimit {
public:
    explicit TFileSizeLimit(rlim_t bytes)
    {
        getrlimit(RLIMIT_FSIZE, &saved_);
        signal(SIGXFSZ, SIG_IGN);
        const rlimit limit{bytes, saved_.rlim_max};
        setrlimit(RLIMIT_FSIZE, &limit);
    }
    ~TFileSizeLimit() { setrlimit(RLIMIT_FSIZE, &saved_); }

private:
    rlimit saved_{};
};

TEST_F(MemoryFormTest, ASaveThatFailsLeavesTheOldFileWhole)
{
    Open(kFastField);
    const std::string old(1000, 'Z');
    folder.WriteFile("box.DAT", old);
    platform.saveName = folder.Path() + "box.DAT";
    platform.messages.clear();
    {
        const TFileSizeLimit full(20000);
        Key(Qt::Key_F9, Qt::ControlModifier);
    }
    EXPECT_EQ(platform.messages,
              std::vector<std::string>{folder.Path() + "box.DAT: " + std::strerror(EFBIG)});
    EXPECT_EQ(FileBytes(folder.Path() + "box.DAT"), old);
    for (const auto& entry : std::filesystem::directory_iterator(folder.Path()))
        EXPECT_FALSE(entry.path().filename().string().starts_with("box.DAT."))
            << entry.path() << " left behind";
}

}  // namespace
}  // namespace kv
