#include "rigs/PtyConverter.h"

#include "link/FrameCheck.h"
#include "support/platform/Platform.h"

#include <gtest/gtest.h>

#include <chrono>
#include <poll.h>
#include <pty.h>
#include <termios.h>
#include <unistd.h>

namespace kv::test {

namespace fs = std::filesystem;

TPtyConverter::TPtyConverter(fs::path link, int echoDelayMs)
    : link_(std::move(link)), echoDelayMs_(echoDelayMs)
{
}

TPtyConverter::~TPtyConverter()
{
    Unplug();
}

void TPtyConverter::Plug()
{
    termios raw{};
    cfmakeraw(&raw);
    char name[256] = {};
    ASSERT_EQ(openpty(&master_, &slave_, name, &raw, nullptr), 0);
    fs::create_symlink(name, link_);
    stop_ = false;
    thread_ = std::thread([this] { Serve(); });
}

void TPtyConverter::Unplug()
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

void TPtyConverter::Send(std::vector<uint8_t> record)
{
    std::lock_guard guard(writeLock_);
    record.push_back(FrameCheck(record.data(), record.size()));
    ASSERT_EQ(::write(master_, record.data(), record.size()), 7);
}

void TPtyConverter::Serve()
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
            std::vector<uint8_t> echo = frame;
            if (echo_ == TEcho::DamagedTail)
                echo.back() ^= 0x5A;
            if (echo_ != TEcho::None) {
                std::lock_guard guard(writeLock_);
                (void)!::write(master_, echo.data(), echo.size());
            }
            if (frame[0] == 0x85 && frame[5] == 5)
                Send({0x7A, 0x81, 0xF4, 0x30, 0xD4, 0x05});
        }
    }
}

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

}  // namespace kv::test
