// The termios transport over pseudo-terminals: the test plays the converter on the master side.
#include "link/FrameCheck.h"
#include "link/PortProto.h"
#include "link/UsbPort.h"
#include "support/Platform.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <filesystem>
#include <poll.h>
#include <pty.h>
#include <termios.h>
#include <thread>
#include <unistd.h>
#include <vector>

namespace kv {
namespace {

namespace fs = std::filesystem;

// Echoes every byte like an RS485 converter (after echoDelayMs) and answers status queries
// as module 5.
class TPtyConverter {
public:
    explicit TPtyConverter(fs::path link, int echoDelayMs = 0)
        : link_(std::move(link)), echoDelayMs_(echoDelayMs)
    {
    }
    ~TPtyConverter() { Unplug(); }

    void Plug()
    {
        termios raw{};
        cfmakeraw(&raw);
        char name[256] = {};
        ASSERT_EQ(openpty(&master_, &slave_, name, &raw, nullptr), 0);
        fs::create_symlink(name, link_);
        stop_ = false;
        thread_ = std::thread([this] { Serve(); });
    }
    void Unplug()
    {
        if (master_ < 0)
            return;
        stop_ = true;
        thread_.join();
        ::close(master_);
        ::close(slave_);
        master_ = slave_ = -1;
        fs::remove(link_);
    }
    void Send(std::vector<uint8_t> record)
    {
        std::lock_guard guard(writeLock_);
        record.push_back(FrameCheck(record.data(), record.size()));
        ASSERT_EQ(::write(master_, record.data(), record.size()), 7);
    }

private:
    void Serve()
    {
        std::vector<uint8_t> pending;
        while (!stop_) {
            pollfd probe{master_, POLLIN, 0};
            if (::poll(&probe, 1, 10) <= 0 || !(probe.revents & POLLIN))
                continue;
            uint8_t bytes[64];
            const ssize_t got = ::read(master_, bytes, sizeof bytes);
            if (got <= 0)
                continue;
            pending.insert(pending.end(), bytes, bytes + got);
            while (pending.size() >= 7) {
                const std::vector<uint8_t> frame(pending.begin(), pending.begin() + 7);
                pending.erase(pending.begin(), pending.begin() + 7);
                std::this_thread::sleep_for(std::chrono::milliseconds(echoDelayMs_));
                {
                    std::lock_guard guard(writeLock_);
                    (void)!::write(master_, frame.data(), frame.size());
                }
                if (frame[0] == 0x85 && frame[5] == 5)
                    Send({0x7A, 0x81, 0xF4, 0x30, 0xD4, 0x05});
            }
        }
    }

    fs::path link_;
    const int echoDelayMs_;
    int master_ = -1;
    int slave_ = -1;
    std::atomic<bool> stop_{false};
    std::thread thread_;
    std::mutex writeLock_;
};

bool WaitFor(const std::function<bool()>& done, uint32_t limitMs)
{
    const uint32_t start = Platform().TickCount();
    while (!done()) {
        if (Platform().TickCount() - start > limitMs)
            return false;
        Platform().ProcessMessages();
        Platform().Sleep(5);
    }
    return true;
}

fs::path TempLink(const char* name)
{
    const fs::path dir = fs::temp_directory_path() / ("kv-link-" + std::to_string(getpid()));
    fs::create_directories(dir);
    fs::remove(dir / name);
    return dir / name;
}

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

}  // namespace
}  // namespace kv
