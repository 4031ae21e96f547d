#include "rigs/console/FieldConsole.h"

#include "rigs/console/ConsoleTestPlatform.h"
#include "devices/registry/Controls.h"
#include "field/bus/FieldPort.h"
#include "link/PortProto.h"

#include <QLabel>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <QWindow>

namespace kv {

namespace {

constexpr int kFastPollMs = 5;
constexpr int kFastBlinkMs = 20;

}  // namespace

FieldConsoleTest::FieldConsoleTest()
{
    TConsoleTestPlatform& platform = TestPlatform();
    platform.messages.clear();
    platform.prompts.clear();
    platform.inputs.clear();
    platform.saveName.reset();
}

FieldConsoleTest::~FieldConsoleTest()
{
    windows.reset();
}

TMainForm& FieldConsoleTest::Start(const std::string& fieldText, const std::string& settings)
{
    folder.WriteFile("field.ini", fieldText);
    folder.WriteFile("kvshow.ini",
                     "[link]\nPort=sim:" + folder.Path() + "field.ini\n" + settings);
    windows = std::make_unique<TConsoleWindows>(PlacesIn(folder.Path()));
    Form().show();
    // The actions' shortcuts reach only the active window.
    Form().activateWindow();
    EXPECT_TRUE(QTest::qWaitForWindowActive(&Form()));
    return Form();
}

TField& FieldConsoleTest::Field()
{
    return dynamic_cast<TFieldPort&>(Form().Port().Transport()).Field();
}

void FieldConsoleTest::Register(int address)
{
    ASSERT_NE(Form().Controls().AddOrRefresh(address, 0), nullptr) << address;
}

bool FieldConsoleTest::Click(const char* name)
{
    auto& button = Child<QPushButton>(Form(), name);
    if (!button.isEnabled() || !button.isVisible())
        return false;
    QTest::mouseClick(&button, Qt::LeftButton);
    return true;
}

bool FieldConsoleTest::WaitFor(const std::function<bool()>& condition, int ms)
{
    return QTest::qWaitFor(condition, ms);
}

namespace {

class TTimerEventSink : public QObject {
public:
    using QObject::QObject;
    bool eventFilter(QObject*, QEvent* event) override { return event->type() == QEvent::Timer; }
};

}  // namespace

void FieldConsoleTest::HoldIdlePoll()
{
    auto& poll = Child<QTimer>(Form(), "IdleTimer");
    poll.installEventFilter(new TTimerEventSink(&poll));
}

void FieldConsoleTest::SpeedUpTimers()
{
    Child<QTimer>(Form(), "IdleTimer").setInterval(kFastPollMs);
    Child<QTimer>(Form(), "ErrFlashTimer").setInterval(kFastBlinkMs);
}

QString FieldConsoleTest::RowText(int row)
{
    return Child<QLabel>(Form(), ("DeviceRow" + std::to_string(row)).c_str()).text();
}

std::vector<std::vector<uint8_t>> FieldConsoleTest::SentFrames(uint8_t code)
{
    std::vector<std::vector<uint8_t>> frames;
    for (const TFrameEntry& entry : Field().Frames())
        if (entry.origin == TFrameOrigin::Pc && !entry.bytes.empty() && entry.bytes[0] == code)
            frames.push_back(entry.bytes);
    return frames;
}

void FieldConsoleTest::LoadScenario(const std::string& lines)
{
    folder.WriteFile("scenario.txt", lines);
    TestPlatform().openFiles = {folder.Path() + "scenario.txt"};
    Key(Qt::Key_F2);
    TestPlatform().openFiles.clear();
}

void FieldConsoleTest::Key(Qt::Key key, Qt::KeyboardModifiers modifiers)
{
    QTest::keyClick(Form().windowHandle(), key, modifiers);
}

void FieldConsoleTest::EnterTestPage()
{
    ASSERT_TRUE(Click("TestBtn"));
    ASSERT_TRUE(Child<QWidget>(Form(), "TestPanel").isVisible());
}

}  // namespace kv
