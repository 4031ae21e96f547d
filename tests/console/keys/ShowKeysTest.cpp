// The keys that must never start, fire or arm by accident: the key that acknowledges the red
// warning, keys held with Ctrl, Alt or Shift, a held key's repeats, and the keys pressed while
// a high-voltage shot charges. And the stop, which no key state may take away.
#include "rigs/console/LaunchWindow.h"

#include "rigs/console/ConsoleTestPlatform.h"
#include "rigs/console/ModalDriver.h"
#include "audio/AudioLibrary.h"
#include "console/app/EndSignals.h"
#include "console/dialogs/PresentWarningForm.h"
#include "field/bus/Field.h"
#include "field/bus/FieldPort.h"
#include "field/bus/WireFrame.h"
#include "link/PortProto.h"
#include "show/player/ExtPlayer.h"

#include <QAction>
#include <QLabel>
#include <QPushButton>
#include <QTest>
#include <QTreeWidget>
#include <QWindow>
#include <gtest/gtest.h>

#include <algorithm>
#include <csignal>
#include <iostream>

namespace kv {
namespace {

const std::string kSoundtrack = std::string(KV_SHARE_DIR) + "/sample-soundtrack.ogg";
const std::string kThreeCues = "0:00.00\t1\t1\n0:10.00\t1\t2\n0:20.00\t2\t1\n";
const TFrameRecord kRemoteStop{0x90, 0, 0, 0, 0, 0};
// The same stop heard again within a second is one stop (it is sent several times so that no
// module misses it): each further stop here is another one.
TFrameRecord RemoteStopAt(uint8_t tenths)
{
    return {0x90, 0, tenths, 0, 0, 0};
}
constexpr Qt::KeyboardModifiers kEachModifier[] = {Qt::ControlModifier, Qt::AltModifier,
                                                   Qt::ShiftModifier};

TField& FieldOf(TMainForm& form)
{
    return dynamic_cast<TFieldPort&>(form.Port().Transport()).Field();
}

// A key held down: its press, the keyboard's repeats, its release.
void Hold(TLaunchWindow& window, Qt::Key key, Qt::KeyboardModifiers modifiers = Qt::NoModifier)
{
    QWindow* handle = window.Form().windowHandle();
    QTest::keyPress(handle, key, modifiers);
    for (int repeat = 0; repeat < 5; ++repeat) {
        qt_handleKeyEvent(handle, QEvent::KeyRelease, key, modifiers, {}, true);
        qt_handleKeyEvent(handle, QEvent::KeyPress, key, modifiers, {}, true);
    }
    QTest::keyRelease(handle, key, modifiers);
}

// Armed on the current slot and started by the start key.
void StartShow(TLaunchWindow& window)
{
    window.Key(Qt::Key_F1);
    window.Key(Qt::Key_F5);
    ASSERT_TRUE(window.Form().Player().IsRunning());
}

TEST(ShowKeysTest, TheKeyThatClosesTheRedWarningDoesNothingElse)
{
    // The Space that acknowledged a stop heard on the bus started the show again at once.
    TLaunchWindow window("[keys]\nStartBtn=32\n");
    TMainForm& form = window.Form();
    auto& warning = window.Child<QWidget>("TWarningForm");
    window.LoadScenario(kThreeCues);
    window.Key(Qt::Key_F1);
    window.Key(Qt::Key_Space);
    ASSERT_TRUE(form.Player().IsRunning());
    form.Player().HandleMessage(kRemoteStop);
    ASSERT_TRUE(warning.isVisible());
    ASSERT_EQ(form.LaunchState(), kLaunchReady);
    window.Key(Qt::Key_Space);
    EXPECT_FALSE(warning.isVisible());
    EXPECT_FALSE(form.Player().IsRunning());
    EXPECT_EQ(window.LogCount("Запуск проекта"), 1);
    window.Key(Qt::Key_Space);
    EXPECT_TRUE(form.Player().IsRunning()) << "the next press is the start key again";
    window.Key(Qt::Key_F6);

    // Also when the warning itself has the keyboard, and also a key an action would take.
    window.Key(Qt::Key_Escape);
    ASSERT_EQ(form.LaunchState(), kLaunchIdle);
    form.Player().HandleMessage(RemoteStopAt(1));
    ASSERT_TRUE(warning.isVisible());
    QTest::keyClick(warning.windowHandle(), Qt::Key_F1);
    EXPECT_FALSE(warning.isVisible());
    EXPECT_EQ(form.LaunchState(), kLaunchIdle);
    form.Player().HandleMessage(RemoteStopAt(2));
    window.Key(Qt::Key_F1, Qt::ControlModifier);
    EXPECT_FALSE(warning.isVisible());
    EXPECT_EQ(form.Player().Setup().firingMode, kFiringAutomatic);
    window.Key(Qt::Key_F1, Qt::ControlModifier);
    EXPECT_EQ(form.Player().Setup().firingMode, kFiringManual);
    window.Key(Qt::Key_F1, Qt::ControlModifier);
    window.Key(Qt::Key_F1, Qt::ControlModifier);

    // A show started by mouse under the warning: the stop key still stops it.
    window.Key(Qt::Key_F1);
    form.Player().HandleMessage(RemoteStopAt(3));
    ASSERT_TRUE(warning.isVisible());
    QTest::mouseClick(&window.Child<QPushButton>("StartBtn"), Qt::LeftButton);
    ASSERT_TRUE(form.Player().IsRunning());
    window.Key(Qt::Key_F6);
    EXPECT_FALSE(form.Player().IsRunning());
    EXPECT_FALSE(warning.isVisible());
}

TEST(ShowKeysTest, KeysHeldWithCtrlAltOrShiftNeverFireStartArmOrSwitchSlotsButStillStop)
{
    TLaunchWindow window;
    TMainForm& form = window.Form();
    window.Register({1, 2});
    window.LoadScenario(kThreeCues);
    window.Key(Qt::Key_F1, Qt::ControlModifier);
    ASSERT_EQ(form.Player().Setup().firingMode, kFiringManual);
    window.Key(Qt::Key_Down);
    ASSERT_EQ(window.Child<QLabel>("ManualModuleLabel").text(), "1");

    window.Key(Qt::Key_F1, Qt::AltModifier);
    EXPECT_EQ(form.LaunchState(), kLaunchIdle) << "no arming key";
    window.Key(Qt::Key_F1);
    window.Key(Qt::Key_F5, Qt::ShiftModifier);
    window.Key(Qt::Key_F5, Qt::AltModifier);
    EXPECT_FALSE(form.Player().IsRunning()) << "no start key";
    // Shift+F5 is the timecode wait's key, and the start key is refused under the wait (it
    // once started a show the timecode would then start again): F6 ends the wait.
    window.Key(Qt::Key_F6);
    // Ready, the mode action is off: Ctrl+F1 no longer disarms as the bare F1 did.
    window.Key(Qt::Key_F1, Qt::ControlModifier);
    EXPECT_EQ(form.LaunchState(), kLaunchReady);
    window.Key(Qt::Key_F5);
    ASSERT_TRUE(form.Player().IsRunning());

    // In manual firing during a show Ctrl+Q and Alt+W each fired a channel.
    window.Key(Qt::Key_Q, Qt::ControlModifier);
    window.Key(Qt::Key_W, Qt::AltModifier);
    window.Key(Qt::Key_E, Qt::ShiftModifier);
    window.Key(Qt::Key_1, Qt::ControlModifier | Qt::AltModifier);
    window.Key(Qt::Key_F7, Qt::ShiftModifier);
    window.Key(Qt::Key_Insert, Qt::ShiftModifier);
    window.Key(Qt::Key_Delete, Qt::AltModifier);
    EXPECT_EQ(form.Player().FiredCount(), 0);
    EXPECT_EQ(form.Player().NextCue(), 0) << "no step";
    EXPECT_EQ(window.LogCount("Включение форсирования, пульт: 1"), 0);
    EXPECT_EQ(window.LogCount("Выключение форсирования, пульт: 1"), 0);
    window.Key(Qt::Key_Q);
    EXPECT_EQ(form.Player().FiredCount(), 1) << "the bare key fires";

    // Ctrl+F6 was the firing report's, which ignored it while the show ran on.
    for (const Qt::KeyboardModifiers modifier : kEachModifier) {
        ASSERT_TRUE(form.Player().IsRunning());
        window.Key(Qt::Key_F6, modifier);
        EXPECT_FALSE(form.Player().IsRunning()) << modifier;
        window.Key(Qt::Key_F5);
    }
    window.Key(Qt::Key_Escape, Qt::ControlModifier);
    EXPECT_FALSE(form.Player().IsRunning());

    window.Key(Qt::Key_Escape);
    ASSERT_EQ(form.LaunchState(), kLaunchIdle);
    window.Key(Qt::Key_3, Qt::ShiftModifier);
    window.Key(Qt::Key_3, Qt::ControlModifier);
    EXPECT_EQ(form.CurrentSlot(), 0) << "no slot key";
    window.Key(Qt::Key_3);
    EXPECT_EQ(form.CurrentSlot(), 2);
}

TEST(ShowKeysTest, AHeldKeyActsOnceWhateverItDoes)
{
    TLaunchWindow window;
    TMainForm& form = window.Form();
    window.LoadScenario(kThreeCues);
    Hold(window, Qt::Key_Asterisk, Qt::KeypadModifier);
    Hold(window, Qt::Key_Slash, Qt::KeypadModifier);
    Hold(window, Qt::Key_Slash, Qt::KeypadModifier);
    EXPECT_EQ(form.Player().Tempo(), 999);
    Hold(window, Qt::Key_Plus, Qt::KeypadModifier);
    Hold(window, Qt::Key_Minus);
    Hold(window, Qt::Key_Minus);
    EXPECT_EQ(form.Player().Offset(), -50);
    Hold(window, Qt::Key_F1, Qt::ControlModifier);
    EXPECT_EQ(form.Player().Setup().firingMode, kFiringManual);
    Hold(window, Qt::Key_F1, Qt::ShiftModifier);
    EXPECT_EQ(form.Player().Setup().controlMode, kControlAutonomous);
    Hold(window, Qt::Key_F1, Qt::ShiftModifier);
    Hold(window, Qt::Key_F1, Qt::ControlModifier);
    Hold(window, Qt::Key_F1, Qt::ControlModifier);
    ASSERT_EQ(form.Player().Setup().firingMode, kFiringAutomatic);
    Hold(window, Qt::Key_2);
    EXPECT_EQ(form.CurrentSlot(), 1);
    Hold(window, Qt::Key_1);
    Hold(window, Qt::Key_F1);
    EXPECT_EQ(form.LaunchState(), kLaunchReady) << "armed, not armed and disarmed";

    const bool sound = AudioAvailable();
    if (sound) {
        window.Key(Qt::Key_Escape);
        TestPlatform().openFiles = {kSoundtrack};
        window.Key(Qt::Key_F3);
        window.Key(Qt::Key_F1);
    }
    Hold(window, Qt::Key_F5);
    ASSERT_TRUE(form.Player().IsRunning());
    EXPECT_EQ(window.LogCount("Запуск проекта"), 1);
    Hold(window, Qt::Key_F6);
    EXPECT_FALSE(form.Player().IsRunning());
    EXPECT_EQ(window.LogCount("Остановка проекта"), 1);
    if (sound) {
        EXPECT_TRUE(form.Player().Soundtrack().IsPlaying()) << "the repeats stopped the music";
        window.Key(Qt::Key_F6);
        EXPECT_FALSE(form.Player().Soundtrack().IsPlaying());
    }
    // The page keys go on moving through the list while held.
    window.Key(Qt::Key_Escape);
    auto& list = window.Child<QTreeWidget>("CueList");
    window.Key(Qt::Key_F4);
    Hold(window, Qt::Key_PageDown);
    EXPECT_EQ(list.indexOfTopLevelItem(list.currentItem()), 2);
}

// One step: module 1's cue, two of the high-voltage module 20, one of module 2.
const std::string kHighVoltageStep =
    "0:10.00\t1\t5\n0:10.00\t20\t1\n0:10.00\t20\t2\n0:10.00\t2\t6\n0:12.00\t1\t6\n";

struct TSent {
    uint8_t code = 0;
    int module = 0;
    int channel = 0;  // as on the bus, from 1; 0 for a command that names none
    int64_t ns = 0;   // its first bit on the line
};

std::vector<TSent> SentByConsole(TField& field)
{
    std::vector<TSent> sent;
    for (const TFrameEntry& entry : field.Frames())
        if (entry.origin == TFrameOrigin::Pc && entry.bytes.size() >= 6)
            sent.push_back({entry.bytes[0], entry.bytes[5], entry.bytes[1] + 256 * entry.bytes[2],
                            entry.startNs});
    return sent;
}

// The fire commands (a set-charge command has the same code and names no channel); a
// command repeated on the line counts once.
std::vector<TSent> Shots(TField& field)
{
    std::vector<TSent> shots;
    for (const TSent& sent : SentByConsole(field))
        if (sent.code == 0x84 && sent.channel != 0 &&
            std::none_of(shots.begin(), shots.end(), [&](const TSent& shot) {
                return shot.module == sent.module && shot.channel == sent.channel;
            }))
            shots.push_back(sent);
    return shots;
}

int Charges(TField& field, int module)
{
    const std::vector<TSent> sent = SentByConsole(field);
    return static_cast<int>(std::count_if(sent.begin(), sent.end(), [&](const TSent& frame) {
        return frame.code == 0x84 && frame.channel == 0 && frame.module == module;
    }));
}

// Manual firing of the step on the demo field, the show running.
void StartHighVoltageStep(TLaunchWindow& window)
{
    window.Register({1, 2, 20});
    window.LoadScenario(kHighVoltageStep);
    window.Key(Qt::Key_F1, Qt::ControlModifier);
    // Nobody has measured module 20's channels: the start warning names its 1 V charges, and
    // the operator goes on.
    bool warned = false;
    WhenModal<TPresentWarningForm>([&warned](TPresentWarningForm& warning) {
        warned = warning.Modules() == "20";
        QTest::keyClick(&warning, Qt::Key_Return);
    });
    StartShow(window);
    ASSERT_TRUE(warned);
    FieldOf(window.Form()).ClearRecord();
}

TEST(ShowKeysTest, AHighVoltageStepChargesWithoutHoldingTheWindowAndKeepsTheOrderAndPauses)
{
    TLaunchWindow window;
    TMainForm& form = window.Form();
    TField& field = FieldOf(form);
    StartHighVoltageStep(window);
    const int64_t pressed = field.Clock().NowNs();
    window.Key(Qt::Key_F7);
    EXPECT_LT(field.Clock().NowNs() - pressed, 1'000'000'000) << "the charge held the window";
    ASSERT_EQ(Shots(field).size(), 1u);
    EXPECT_EQ(Shots(field)[0].module, 1);
    EXPECT_EQ(Charges(field, 20), 1);
    // The window takes keys meanwhile; a second step is refused.
    window.Key(Qt::Key_Asterisk, Qt::KeypadModifier);
    EXPECT_EQ(form.Player().Tempo(), 1001);
    window.Key(Qt::Key_F7);
    EXPECT_EQ(form.Player().NextCue(), 4);

    ASSERT_TRUE(TLaunchWindow::WaitFor([&] { return Shots(field).size() == 4; }, 6000));
    const std::vector<TSent> shots = Shots(field);
    const std::vector<TSent> sent = SentByConsole(field);
    std::vector<int64_t> charged;
    for (const TSent& frame : sent)
        if (frame.code == 0x84 && frame.channel == 0 && frame.module == 20)
            charged.push_back(frame.ns);
    ASSERT_EQ(charged.size(), 2u);
    EXPECT_EQ(std::vector<int>({shots[1].module, shots[1].channel, shots[2].module,
                                shots[2].channel, shots[3].module, shots[3].channel}),
              std::vector<int>({20, 1, 20, 2, 2, 6}));
    EXPECT_GE(shots[1].ns - charged[0], 2'000'000'000);
    EXPECT_GE(charged[1], shots[1].ns);
    EXPECT_GE(shots[2].ns - charged[1], 2'000'000'000);
    EXPECT_GE(shots[3].ns, shots[2].ns);
    std::vector<std::string> steps;
    for (const std::string& line : window.Log())
        if (line.starts_with("Пошаговый"))
            steps.push_back(line);
    EXPECT_EQ(steps, (std::vector<std::string>{"Пошаговый запуск, пульт: 1, канал: 5",
                                        "Пошаговый запуск, пульт: 20, канал: 1",
                                        "Пошаговый запуск, пульт: 20, канал: 2",
                                        "Пошаговый запуск, пульт: 2, канал: 6"}));
    window.Key(Qt::Key_F7);
    EXPECT_EQ(Shots(field).size(), 5u) << "the next step, once the last is fired";
    window.Key(Qt::Key_F6);
}

// A key held with a modifier whose action is off (Shift+F8 with no remote controller) or that
// no action has acted as the bare key: Shift+F8 wrote the scenario into the modules, Ctrl+F2
// emptied the slot.
TEST(ShowKeysTest, KeysHeldWithAModifierNoActionTakesNeitherLoadClearWriteNorSwitchModes)
{
    TLaunchWindow window;
    TMainForm& form = window.Form();
    TField& field = FieldOf(form);
    window.Register({1, 2});
    window.LoadScenario(kThreeCues);
    ASSERT_FALSE(window.Child<QAction>("SavePDUAction").isEnabled()) << "no remote controller";
    window.Key(Qt::Key_F11);
    TestPlatform().openFiles = {kSoundtrack};
    TestPlatform().filters.clear();
    field.ClearRecord();
    for (const Qt::KeyboardModifiers modifier : kEachModifier) {
        // Ctrl+F2 is the show-script import's action, whose preview loads nothing unasked
        // (ImportTest); the test once hung in that preview.
        if (modifier != Qt::ControlModifier)
            window.Key(Qt::Key_F2, modifier);
        window.Key(Qt::Key_F3, modifier);
        window.Key(Qt::Key_F12, modifier);
    }
    // Ctrl+F8, Ctrl+F9 and Ctrl+F10 are the erase's, the black box's and the rehearsal's.
    for (const Qt::KeyboardModifiers modifier : {Qt::ShiftModifier, Qt::AltModifier}) {
        window.Key(Qt::Key_F10, modifier);
        window.Key(Qt::Key_F8, modifier);
        window.Key(Qt::Key_F9, modifier);
    }
    EXPECT_EQ(form.Projects().Project(0)->Count(), 3) << "the slot emptied";
    EXPECT_TRUE(TestPlatform().filters.empty()) << "a file dialog opened";
    EXPECT_FALSE(window.Child<QPushButton>("SearchBtn").isChecked()) << "a search started";
    const std::vector<TSent> sent = SentByConsole(field);
    EXPECT_TRUE(std::none_of(sent.begin(), sent.end(), [](const TSent& frame) {
        return frame.code == 0x91 || frame.code == 0x88;
    })) << "a scenario write, a verify or a mode command went out";
    for (const std::string& line : window.Log())
        EXPECT_FALSE(line.starts_with("Запись сценария") || line.starts_with("Проверка сценария"))
            << line;

    // The keys themselves still act.
    window.Key(Qt::Key_F2);
    EXPECT_EQ(form.Projects().Project(0)->Count(), 0);
}

// The start warning before a show whose high-voltage module charges with 1 V: the start key
// (here Space) pressed again or held must not be the answer that goes on.
TEST(ShowKeysTest, TheStartKeyPressedAgainOrHeldDoesNotGoPastTheStartWarning)
{
    TLaunchWindow window("[keys]\nStartBtn=32\n");
    TMainForm& form = window.Form();
    window.Register({1, 2, 20});
    window.LoadScenario(kHighVoltageStep);
    window.Key(Qt::Key_F1);
    bool asked = false, stillAsking = false;
    WhenModal<TPresentWarningForm>([&](TPresentWarningForm& warning) {
        asked = true;
        QWindow* handle = warning.windowHandle();
        for (int repeat = 0; repeat < 3; ++repeat) {
            qt_handleKeyEvent(handle, QEvent::KeyPress, Qt::Key_Space, Qt::NoModifier, " ", true);
            qt_handleKeyEvent(handle, QEvent::KeyRelease, Qt::Key_Space, Qt::NoModifier, " ", true);
        }
        QTest::keyClick(handle, Qt::Key_Space);
        QTest::keyClick(handle, Qt::Key_Space);
        stillAsking = warning.isVisible();
        if (stillAsking)
            QTest::keyClick(handle, Qt::Key_Escape);
    });
    window.Key(Qt::Key_Space);
    ASSERT_TRUE(asked);
    EXPECT_TRUE(stillAsking);
    EXPECT_FALSE(form.Player().IsRunning());
    EXPECT_EQ(window.LogCount("Запуск проекта"), 0);
}

// F6 in the start warning is a stop: it answers the warning no, so that the Enter pressed next
// by habit does not start the show.
TEST(ShowKeysTest, F6InTheStartWarningCallsTheStartOff)
{
    TLaunchWindow window;
    TMainForm& form = window.Form();
    window.Register({1, 2, 20});
    window.LoadScenario(kHighVoltageStep);
    window.Key(Qt::Key_F1);
    bool asked = false, closed = false;
    WhenModal<TPresentWarningForm>([&](TPresentWarningForm& warning) {
        asked = true;
        QTest::keyClick(warning.windowHandle(), Qt::Key_F6);
        closed = !warning.isVisible();
        if (!closed)
            QTest::keyClick(warning.windowHandle(), Qt::Key_Return);
    });
    window.Key(Qt::Key_F5);
    ASSERT_TRUE(asked);
    EXPECT_TRUE(closed);
    EXPECT_FALSE(form.Player().IsRunning());
    EXPECT_EQ(window.LogCount("Запуск проекта"), 0);
}

enum class TStopBy { F6, Esc, Bus };

TEST(ShowKeysTest, AStopDuringTheChargeActsWithinATickAndNothingOfTheStepFiresAfter)
{
    for (const TStopBy stop : {TStopBy::F6, TStopBy::Esc, TStopBy::Bus}) {
        SCOPED_TRACE(static_cast<int>(stop));
        TLaunchWindow window;
        TMainForm& form = window.Form();
        TField& field = FieldOf(form);
        StartHighVoltageStep(window);
        window.Key(Qt::Key_F7);
        ASSERT_EQ(Shots(field).size(), 1u);
        QTest::qWait(500);

        int64_t stoppedNs = field.Clock().NowNs();
        if (stop == TStopBy::Bus) {
            field.InjectFrame(0, field.ElapsedMs() + 1, MakeWireFrame(0x90, 0, 0, 0, 0, 0));
            ASSERT_TRUE(TLaunchWindow::WaitFor([&] { return !form.Player().IsRunning(); }, 1000));
            for (const TFrameEntry& entry : field.Frames())
                if (entry.origin == TFrameOrigin::Field && entry.bytes.size() >= 4 &&
                    entry.bytes[0] == 0x90 && entry.bytes[3] == 0)
                    stoppedNs = entry.endNs;
        } else {
            window.Key(stop == TStopBy::F6 ? Qt::Key_F6 : Qt::Key_Escape);
            ASSERT_FALSE(form.Player().IsRunning());
        }
        // The stop's frames: the clock's stop form, the stop notice, the high voltage off.
        const std::vector<TSent> sent = SentByConsole(field);
        const auto first = std::find_if(sent.begin(), sent.end(), [&](const TSent& frame) {
            return frame.ns >= stoppedNs &&
                   (frame.code == 0x90 || frame.code == 0x11 || frame.code == 0x88);
        });
        ASSERT_NE(first, sent.end());
        const int64_t reactionMs = (first->ns - stoppedNs) / 1'000'000;
        std::cout << "stop to its first frame: " << reactionMs << " ms\n";
        EXPECT_LE(reactionMs, 25);

        QTest::qWait(2000);
        EXPECT_EQ(Shots(field).size(), 1u) << "fired after the stop";
        EXPECT_EQ(Charges(field, 20), 1);
        const auto log = window.Log();
        const auto stopLine = std::find(log.begin(), log.end(), "Остановка проекта");
        ASSERT_NE(stopLine, log.end());
        EXPECT_EQ(std::vector<std::string>(log.begin() + (stopLine - log.begin()) - 3, stopLine),
                  (std::vector<std::string>{
                      "Пошаговый запуск отменён остановкой, пульт: 20, канал: 1",
                      "Пошаговый запуск отменён остановкой, пульт: 20, канал: 2",
                      "Пошаговый запуск отменён остановкой, пульт: 2, канал: 6"}));
        EXPECT_EQ(window.LogCount("Пошаговый запуск, пульт: 20, канал: 1"), 0);
        // The cue that did not fire is the next one, for the next step.
        EXPECT_EQ(form.Player().NextCue(), 1);
        const auto& list = window.Child<QTreeWidget>("CueList");
        EXPECT_EQ(list.indexOfTopLevelItem(list.currentItem()), 1);
    }
}

// A signal that ends the console leaves nobody to answer the exit question of a stop not taken:
// the window closes without it.
TEST(ShowKeysTest, AStopNotTakenAsksNothingWhenASignalEndsTheProgram)
{
    TLaunchWindow window;
    TMainForm& form = window.Form();
    const TEndSignals endSignals([&form](int signal) { form.EndBySignal(signal); });
    TField& field = FieldOf(form);
    window.Register({1});
    window.LoadScenario("0:00.20\t1\t3\n0:05.00\t1\t4\n");
    window.Key(Qt::Key_F1);
    window.Key(Qt::Key_F5);
    ASSERT_TRUE(form.Player().IsRunning());
    for (int converter = 0; converter < field.ConverterCount(); ++converter)
        field.SetBadEcho(converter, true);
    TestPlatform().messages.clear();
    std::raise(SIGTERM);
    EXPECT_TRUE(TLaunchWindow::WaitFor([&] { return !form.isVisible(); }, 3000));
    EXPECT_TRUE(form.Player().StopOwed());
    EXPECT_EQ(TestPlatform().messages, std::vector<std::string>{});
    EXPECT_EQ(window.LogCount("Выход из программы"), 1);
}

}  // namespace
}  // namespace kv
