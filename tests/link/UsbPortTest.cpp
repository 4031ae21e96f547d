// The termios transport over pseudo-terminals: the test plays the converter on the master side.
#include "rigs/DeviceTree.h"
#include "rigs/PtyConverter.h"
#include "link/FrameCheck.h"
#include "link/PortProto.h"
#include "link/UsbPort.h"
#include "support/platform/QtPlatform.h"

#include <gtest/gtest.h>

#include <atomic>
#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstring>
#include <fcntl.h>
#include <filesystem>
#include <fstream>
#include <poll.h>
#include <pty.h>
#include <sys/ioctl.h>
#include <termios.h>
#include <thread>
#include <unistd.h>
#include <vector>

namespace kv {
namespace {

namespace fs = std::filesystem;
using test::TempLink;
using test::TPtyConverter;
using test::WaitFor;

// The run log's lines, as it passes them on, from any thread.
class TLogCapture : public TQtPlatform {
public:
    TLogCapture() : previous_(&Platform()) { InstallPlatform(this); }
    ~TLogCapture() override { InstallPlatform(previous_); }
    void DebugOutput(const std::string& line) override
    {
        std::lock_guard guard(lock_);
        lines_.push_back(line);
    }
    long Count(const std::string& start)
    {
        std::lock_guard guard(lock_);
        return std::count_if(lines_.begin(), lines_.end(),
                             [&](const std::string& line) { return line.starts_with(start); });
    }

private:
    TPlatform* previous_;
    std::mutex lock_;
    std::vector<std::string> lines_;
};

TEST(UsbPortOverPty, WithoutAConverterNothingIsConnected)
{
    TUSBPort port(16, TempLink("absent").string());
    EXPECT_FALSE(port.Open());
    EXPECT_EQ(port.DeviceCount(), 0);
    EXPECT_EQ(port.BytesAvailable(), 0);
    uint8_t bytes[7] = {};
    int converter = 3;
    EXPECT_EQ(port.Read(bytes, 7, 0), -1);
    EXPECT_EQ(port.ReadAny(bytes, 7, converter), -1);
    EXPECT_EQ(converter, -1);
    EXPECT_EQ(port.Write(bytes, 7, -1), -1);
}

TEST(UsbPortOverPty, StartWithoutAConverterReportsTheLossOnceAndThenTheReturn)
{
    const fs::path link = TempLink("late");
    TPtyConverter converter(link);
    TPortProto port(std::make_unique<TUSBPort>(16, link.string()));
    std::atomic<int> lost{0};
    std::atomic<int> back{0};
    port.OnConverterLost = [&] { ++lost; };
    port.OnConverterBack = [&] { ++back; };
    EXPECT_FALSE(port.Start());
    ASSERT_TRUE(WaitFor([&] { return lost == 1; }, 2000));
    WaitFor([] { return false; }, 300);
    EXPECT_EQ(lost, 1);
    EXPECT_EQ(back, 0);
    converter.Plug();
    ASSERT_TRUE(WaitFor([&] { return back == 1; }, 2000));
    EXPECT_EQ(port.ConverterCount(), 1);
    port.Stop();
}

TEST(UsbPortOverPty, CommandsFramesLossAndReturn)
{
    const fs::path link = TempLink("converter");
    TPtyConverter converter(link);
    converter.Plug();

    TPortProto port(std::make_unique<TUSBPort>(16, link.string()));
    std::atomic<int> lost{0};
    std::atomic<int> back{0};
    std::vector<std::pair<TFrameRecord, int>> frames;
    port.OnConverterLost = [&] { ++lost; };
    port.OnConverterBack = [&] { ++back; };
    port.OnFrameFrom = [&](const TFrameRecord& r, int c) { frames.push_back({r, c}); };
    ASSERT_TRUE(port.Start());
    EXPECT_EQ(port.ConverterCount(), 1);

    double a = 0;
    double b = 0;
    int flag = 0;
    ASSERT_EQ(port.QueryStatus(5, 0, -1, false, a, b, flag), kLinkOk);
    EXPECT_DOUBLE_EQ(b, 12.5);

    converter.Send({0x70, 'O', 'k', 0, 16, 9});
    ASSERT_TRUE(WaitFor([&] { return !frames.empty(); }, 2000));
    EXPECT_EQ(frames[0].first, (TFrameRecord{0x70, 'O', 'k', 0, 16, 9}));
    EXPECT_EQ(frames[0].second, 0);

    converter.Unplug();
    ASSERT_TRUE(WaitFor([&] { return lost == 1; }, 2000));
    EXPECT_NE(port.QueryStatus(5, 0, -1, false, a, b, flag), kLinkOk);
    EXPECT_EQ(back, 0);

    converter.Plug();
    ASSERT_TRUE(WaitFor([&] { return back == 1; }, 2000));
    EXPECT_EQ(port.QueryStatus(5, 0, 0, false, a, b, flag), kLinkOk);
    EXPECT_EQ(lost, 1);
    port.Stop();
    converter.Unplug();
}

// Each device keeps the converter index it answered on. The port reopened after a loss once
// numbered the converters that opened again from 0: with the first of two gone, the second
// became converter 0, so its modules' frames failed and the lost converter's went to it; and
// the lost one was never taken again while the other stayed.
TEST(UsbPortOverPty, AConverterKeepsItsIndexWhenAnotherIsLost)
{
    const fs::path firstLink = TempLink("first");
    const fs::path secondLink = TempLink("second");
    TPtyConverter first(firstLink);
    TPtyConverter second(secondLink);
    first.Plug();
    second.Plug();
    TPortProto port(std::make_unique<TUSBPort>(16, firstLink.string() + "," + secondLink.string()));
    std::atomic<int> back{0};
    std::mutex framesLock;
    std::vector<int> fromConverters;
    port.OnConverterBack = [&] { ++back; };
    port.OnFrameFrom = [&](const TFrameRecord&, int c) {
        std::lock_guard guard(framesLock);
        fromConverters.push_back(c);
    };
    ASSERT_TRUE(port.Start());
    ASSERT_EQ(port.ConverterCount(), 2);

    first.Unplug();
    ASSERT_TRUE(WaitFor([&] { return back == 1; }, 2000));
    EXPECT_EQ(port.ConverterCount(), 2) << "the lost converter keeps its place";
    double a = 0;
    double b = 0;
    int flag = 0;
    EXPECT_EQ(port.QueryStatus(5, 1, -1, false, a, b, flag), kLinkOk);
    EXPECT_NE(port.QueryStatus(5, 0, -1, false, a, b, flag), kLinkOk)
        << "nothing sent for the lost converter reaches another";
    second.Send({0x70, 'O', 'k', 0, 16, 9});
    ASSERT_TRUE(WaitFor([&] {
        std::lock_guard guard(framesLock);
        return !fromConverters.empty();
    }, 2000));
    EXPECT_EQ(fromConverters.front(), 1);

    first.Plug();
    ASSERT_TRUE(WaitFor([&] { return back == 2; }, 3000)) << "taken back in its place";
    EXPECT_EQ(port.QueryStatus(5, 0, -1, false, a, b, flag), kLinkOk);
    EXPECT_EQ(port.QueryStatus(5, 1, -1, false, a, b, flag), kLinkOk);
    port.Stop();
    first.Unplug();
    second.Unplug();
}

TEST(UsbPortOverPty, AFrameThatArrivesWhileAnotherConverterEchoesSurvivesThePurge)
{
    const fs::path slowLink = TempLink("slow");
    const fs::path quietLink = TempLink("quiet");
    TPtyConverter slow(slowLink, 30);
    TPtyConverter quiet(quietLink);
    slow.Plug();
    quiet.Plug();
    TUSBPort port(16, slowLink.string() + "," + quietLink.string());
    ASSERT_TRUE(port.Open());

    // A remote stop reaches the second converter while the first one's echo is awaited,
    // before the broadcast gets to purge the second converter's queue.
    std::thread remote([&] {
        std::this_thread::sleep_for(std::chrono::milliseconds(12));
        quiet.Send({0x90, 0x00, 0x7B, 0x00, 0x00, 0x00});
    });
    std::vector<uint8_t> notice = {0x11, 0x00, 0x7B, 0x2A, 0x00, 0xFF};
    notice.push_back(FrameCheck(notice.data(), notice.size()));
    EXPECT_EQ(port.Write(notice.data(), 7, -1), 7);
    remote.join();

    std::vector<uint8_t> stop(7);
    int got = 0;
    for (int attempt = 0; attempt < 10 && got < 7; ++attempt)
        got += port.Read(stop.data() + got, 7 - got, 1);
    std::vector<uint8_t> expected = {0x90, 0x00, 0x7B, 0x00, 0x00, 0x00};
    expected.push_back(FrameCheck(expected.data(), expected.size()));
    EXPECT_EQ(stop, expected);
    port.Close();
}

// A broadcast once reported what the last converter did: with the first converter's echo
// missing, or a frame damaged after its first byte, a stop that a line never carried counted
// as sent, and no one sent it again.
TEST(UsbPortOverPty, ABroadcastSucceedsOnlyWhenEveryConverterEchoedTheWholeFrame)
{
    const fs::path firstLink = TempLink("first");
    const fs::path secondLink = TempLink("second");
    TPtyConverter first(firstLink);
    TPtyConverter second(secondLink);
    first.Plug();
    second.Plug();
    TUSBPort port(16, firstLink.string() + "," + secondLink.string());
    ASSERT_TRUE(port.Open());
    std::vector<uint8_t> stop = {0x90, 0x00, 0x7B, 0x00, 0x00, 0x00};
    stop.push_back(FrameCheck(stop.data(), stop.size()));

    EXPECT_EQ(port.Write(stop.data(), 7, -1), 7);
    first.SetEcho(TPtyConverter::TEcho::None);
    EXPECT_EQ(port.Write(stop.data(), 7, -1), -2) << "the first converter gave no echo";
    EXPECT_EQ(port.Write(stop.data(), 7, 1), 7);
    first.SetEcho(TPtyConverter::TEcho::Whole);
    second.SetEcho(TPtyConverter::TEcho::DamagedTail);
    EXPECT_EQ(port.Write(stop.data(), 7, 1), -2) << "the echo differs after its first byte";
    EXPECT_EQ(port.Write(stop.data(), 7, -1), -2);
    second.SetEcho(TPtyConverter::TEcho::Whole);
    EXPECT_EQ(port.Write(stop.data(), 7, -1), 7);
    port.Close();
}

// A tick that moves only when the test or a sleep moves it; the sleeps asked for, kept.
class TStillClock : public TQtPlatform {
public:
    TStillClock() : previous_(&Platform()) { InstallPlatform(this); }
    ~TStillClock() override { InstallPlatform(previous_); }
    uint32_t TickCount() override { return tick_; }
    void Sleep(uint32_t ms) override
    {
        slept_ += ms;
        tick_ += ms;
    }
    void Advance(uint32_t ms) { tick_ += ms; }
    uint32_t TakeSlept() { return slept_.exchange(0); }

private:
    TPlatform* previous_;
    std::atomic<uint32_t> tick_{1000};
    std::atomic<uint32_t> slept_{0};
};

// The bus is idle 2 ms before every command. That pause once came after the decision to send,
// however long the line had been quiet: every shot, the ones at their millisecond too, left
// 2 ms late. It counts from the last byte on the line now, whole ticks taken at their worst.
TEST(UsbPortOverPty, TheIdleTimeBeforeACommandCountsFromTheLastByteOnTheLine)
{
    const fs::path link = TempLink("idle");
    // Each echo comes after one look at the terminal has run out, as on a loaded machine
    // (where this test once found 20 ms slept): the wait for it is no pause before the write.
    TPtyConverter converter(link, 30);
    converter.Plug();
    TStillClock clock;
    TUSBPort port(16, link.string());
    ASSERT_TRUE(port.Open());
    std::vector<uint8_t> shot = {0x84, 0x01, 0x00, 0x00, 0x00, 0x05};
    shot.push_back(FrameCheck(shot.data(), shot.size()));
    const auto pauseOfAWrite = [&] {
        clock.TakeSlept();
        EXPECT_EQ(port.Write(shot.data(), 7, 0), 7);
        return clock.TakeSlept();
    };

    clock.Advance(10);
    EXPECT_EQ(pauseOfAWrite(), 0u) << "the line quiet since the open";
    EXPECT_EQ(pauseOfAWrite(), 2u) << "right after the last echo";
    clock.Advance(1);
    EXPECT_EQ(pauseOfAWrite(), 2u) << "its echo may have ended at the end of the last tick";
    clock.Advance(2);
    EXPECT_EQ(pauseOfAWrite(), 1u);
    clock.Advance(3);
    EXPECT_EQ(pauseOfAWrite(), 0u);
    EXPECT_EQ(port.Write(shot.data(), 7, -1), 7);
    clock.Advance(3);
    clock.TakeSlept();
    EXPECT_EQ(port.Write(shot.data(), 7, -1), 7);
    EXPECT_EQ(clock.TakeSlept(), 0u) << "to every converter after a quiet line";

    // A frame from the bus: read, the line carried it then; waiting, at a moment the
    // transport cannot tell.
    const auto frameFromTheBus = [&] {
        converter.Send({0x70, 'O', 'k', 0, 16, 9});
        ASSERT_TRUE(WaitFor([&] { return port.BytesAvailable() >= 7; }, 2000));
        clock.Advance(10);
    };
    frameFromTheBus();
    std::vector<uint8_t> heard(7);
    EXPECT_EQ(port.Read(heard.data(), 7, 0), 7);
    EXPECT_EQ(pauseOfAWrite(), 2u) << "a frame from the bus read this tick";
    frameFromTheBus();
    EXPECT_EQ(pauseOfAWrite(), 2u) << "a frame from the bus waiting";
    port.Close();
}

// A machine that holds the program back: once armed, every look at the clock waits (200 ms at most)
// until the terminal holds a whole frame for the program, and then finds another 100 ms gone.
class THeldBackClock : public TQtPlatform {
public:
    explicit THeldBackClock(const fs::path& terminal)
        : previous_(&Platform()),
          fd_(::open(terminal.c_str(), O_RDONLY | O_NOCTTY | O_NONBLOCK | O_CLOEXEC))
    {
        InstallPlatform(this);
    }
    ~THeldBackClock() override
    {
        InstallPlatform(previous_);
        ::close(fd_);
    }
    uint32_t TickCount() override
    {
        if (!armed)
            return TQtPlatform::TickCount();
        // A look at the terminal moves what the kernel holds for it into its queue.
        int waiting = 0;
        for (int round = 0; round < 100 && waiting < 7; ++round) {
            pollfd probe{fd_, POLLIN, 0};
            ::poll(&probe, 1, 2);
            if (ioctl(fd_, FIONREAD, &waiting) != 0)
                break;
        }
        gone_ += 100;
        return TQtPlatform::TickCount() + gone_;
    }
    bool armed = false;

private:
    TPlatform* previous_;
    int fd_;
    uint32_t gone_ = 0;
};

TEST(UsbPortOverPty, AnEchoThatCameWhileTheProgramWasHeldBackCounts)
{
    const fs::path link = TempLink("held");
    TPtyConverter converter(link);
    converter.Plug();
    TUSBPort port(16, link.string());
    ASSERT_TRUE(port.Open());
    THeldBackClock clock(link);
    std::vector<uint8_t> frame = {0x94, 0x04, 0x00, 0x00, 0x00, 0x05};
    frame.push_back(FrameCheck(frame.data(), frame.size()));
    // A frame from the bus waits when the program writes, so that no look at the clock ahead
    // of the write waits for one; the write keeps it for the next read.
    converter.Send({0x70, 'O', 'k', 0, 16, 9});
    ASSERT_TRUE(WaitFor([&] { return port.BytesAvailable() >= 7; }, 2000));
    clock.armed = true;
    EXPECT_EQ(port.Write(frame.data(), 7, 0), 7);
    clock.armed = false;
    std::vector<uint8_t> kept(7);
    EXPECT_EQ(port.Read(kept.data(), 7, 0), 7);
    EXPECT_EQ(kept[0], 0x70);
    port.Close();
}

// This test once saw a named device that did not open counted as a converter: every read then
// reported a loss, the port reopened ten times a second and no frame from the bus got through.
TEST(UsbPortOverPty, DevicesThatDoNotOpenAreLeftOutAndReportedOnce)
{
    TLogCapture log;
    const fs::path link = TempLink("opens");
    TPtyConverter converter(link);
    converter.Plug();
    const fs::path plain = TempLink("plain-file");
    std::ofstream(plain) << "no terminal";
    const fs::path missing = TempLink("missing");
    std::mutex toldLock;
    std::vector<std::string> told;
    auto transport = std::make_unique<TUSBPort>(
        16, plain.string() + "," + missing.string() + "," + link.string());
    transport->OnOpenProblem = [&](const std::string& text) {
        std::lock_guard guard(toldLock);
        told.push_back(text);
    };
    TPortProto port(std::move(transport));
    std::atomic<int> lost{0};
    std::vector<std::pair<TFrameRecord, int>> frames;
    port.OnConverterLost = [&] { ++lost; };
    port.OnFrameFrom = [&](const TFrameRecord& r, int c) { frames.push_back({r, c}); };
    ASSERT_TRUE(port.Start());
    EXPECT_EQ(port.ConverterCount(), 1);
    converter.Send({0x70, 'O', 'k', 0, 16, 9});
    ASSERT_TRUE(WaitFor([&] { return !frames.empty(); }, 2000));
    EXPECT_EQ(frames[0].second, 0);
    WaitFor([] { return false; }, 300);
    EXPECT_EQ(lost, 0);
    EXPECT_EQ(log.Count("Ошибка преобразователя"), 0);

    port.Reopen();
    {
        std::lock_guard guard(toldLock);
        EXPECT_EQ(told, (std::vector<std::string>{
                            "Преобразователь не открыт: " + plain.string() + ": " + std::strerror(ENOTTY),
                            "Преобразователь не открыт: " + missing.string() + ": " + std::strerror(ENOENT)}))
            << "once, although the port opened twice";
    }
    EXPECT_EQ(log.Count("Преобразователь не открыт: "), 2);
    port.Stop();

    TUSBPort none(16, plain.string());
    EXPECT_FALSE(none.Open()) << "no converter opened";
    EXPECT_EQ(none.DeviceCount(), 0);
    fs::remove(plain);
}

TEST(UsbPortOverPty, AutoTakesTheBridgeChipsOnlyAndSaysWhich)
{
    TLogCapture log;
    TDeviceTree tree;
    tree.AddUsbTty("ttyUSB0", "0403", "FT0", "RS485", "ftdi_sio", true);
    tree.AddUsbTty("ttyACM0", "2c7c", "MODEM", "LTE modem", "cdc_acm", false);
    TPtyConverter rs485(tree.Node("ttyUSB0"));
    TPtyConverter modem(tree.Node("ttyACM0"));
    rs485.Plug();
    modem.Plug();
    TUSBPort port(16, "auto", tree.roots);
    ASSERT_TRUE(port.Open());
    ASSERT_EQ(port.DeviceCount(), 1);
    EXPECT_EQ(port.Converters()[0].path, tree.Node("ttyUSB0").string());
    port.Close();
    ASSERT_TRUE(port.Open());
    EXPECT_EQ(log.Count("Выбраны преобразователи: " + tree.Node("ttyUSB0").string() + " (ftdi_sio)"),
              1);
    port.Close();
}

// Plugged back, converters may come under each other's device names: each is known again by
// its serial number and keeps the index its devices answered on.
TEST(UsbPortOverPty, AutoKnowsAConverterAgainByItsSerialNumber)
{
    TDeviceTree tree;
    tree.AddUsbTty("ttyUSB0", "0403", "FT0", "RS485", "ftdi_sio", true);
    tree.AddUsbTty("ttyUSB1", "0403", "FT1", "RS485", "ftdi_sio", true);
    TPtyConverter first(tree.Node("ttyUSB0"));
    TPtyConverter second(tree.Node("ttyUSB1"));
    first.Plug();
    second.Plug();
    TUSBPort port(16, "auto", tree.roots);
    ASSERT_TRUE(port.Open());
    ASSERT_EQ(port.Converters()[0].serialNumber, "FT0");

    std::ofstream(tree.root / "sys/devices/usb1/1-ttyUSB0/serial") << "FT1\n";
    std::ofstream(tree.root / "sys/devices/usb1/1-ttyUSB1/serial") << "FT0\n";
    ASSERT_TRUE(port.Reopen());
    ASSERT_EQ(port.DeviceCount(), 2);
    EXPECT_EQ(port.Converters()[0].path, tree.Node("ttyUSB1").string());
    EXPECT_EQ(port.Converters()[1].path, tree.Node("ttyUSB0").string());
    port.Close();
}

}  // namespace
}  // namespace kv
