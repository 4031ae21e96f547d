#include "support/platform/QtPlatform.h"

#include "support/platform/PowerSupply.h"

#include <QCoreApplication>
#include <QTimer>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <iostream>
#include <time.h>

namespace kv {

uint32_t MonotonicTick()
{
    timespec now{};
    clock_gettime(CLOCK_MONOTONIC, &now);
    const uint64_t ms = static_cast<uint64_t>(now.tv_sec) * 1000u +
                        static_cast<uint64_t>(now.tv_nsec) / 1000000u;
    return static_cast<uint32_t>(ms);
}

namespace {

class TQtTimer : public TTimer {
public:
    explicit TQtTimer(std::function<void()> onTimer)
    {
        timer_.setTimerType(Qt::PreciseTimer);
        QObject::connect(&timer_, &QTimer::timeout, std::move(onTimer));
    }
    void SetInterval(uint32_t ms) override { timer_.setInterval(static_cast<int>(ms)); }
    uint32_t Interval() const override { return static_cast<uint32_t>(timer_.interval()); }
    void SetEnabled(bool enabled) override
    {
        if (enabled)
            timer_.start();
        else
            timer_.stop();
    }
    bool Enabled() const override { return timer_.isActive(); }

private:
    QTimer timer_;
};

// Reads one answer line from stdin; end of input counts as no answer.
std::optional<std::string> ReadAnswerLine()
{
    std::string line;
    if (!std::getline(std::cin, line))
        return std::nullopt;
    if (!line.empty() && line.back() == '\r')
        line.pop_back();
    return line;
}

}  // namespace

TQtPlatform::TQtPlatform()
    : mainThread_(std::this_thread::get_id()),
      random_(static_cast<uint32_t>(std::chrono::steady_clock::now().time_since_epoch().count())),
      debugOutput_(std::getenv("KORVANE_DEBUG_OUTPUT") != nullptr)
{
    syncThread_.setMaxThreadCount(1);
}

uint32_t TQtPlatform::TickCount()
{
    return MonotonicTick();
}

void TQtPlatform::Sleep(uint32_t ms)
{
    std::this_thread::sleep_for(std::chrono::milliseconds(ms));
}

std::unique_ptr<TTimer> TQtPlatform::CreateTimer(std::function<void()> onTimer)
{
    return std::make_unique<TQtTimer>(std::move(onTimer));
}

void TQtPlatform::RunOnMainThread(const std::function<void()>& call)
{
    if (IsMainThread()) {
        call();
        return;
    }
    QMetaObject::invokeMethod(QCoreApplication::instance(), [&call] { call(); },
                              Qt::BlockingQueuedConnection);
}

bool TQtPlatform::IsMainThread()
{
    return std::this_thread::get_id() == mainThread_;
}

void TQtPlatform::ProcessMessages()
{
    QCoreApplication::processEvents();
}

TAnswer TQtPlatform::MessageBox(const std::string& text, const std::string& caption,
                                TButtons buttons)
{
    std::cerr << caption << ": " << text << '\n';
    if (buttons == TButtons::Ok)
        return TAnswer::Ok;
    if (assumeYes)
        return TAnswer::Yes;
    // Only a "y" goes on: a stray Enter must not erase a memory or start a show that will not
    // fire whole, as the console's buttons default to "No".
    std::cerr << "[y/N] " << std::flush;
    const auto answer = ReadAnswerLine();
    if (!answer || answer->empty())
        return TAnswer::No;
    return ((*answer)[0] == 'y' || (*answer)[0] == 'Y') ? TAnswer::Yes : TAnswer::No;
}

std::optional<std::string> TQtPlatform::InputBox(const std::string& caption,
                                                 const std::string& prompt,
                                                 const std::string& initial)
{
    std::cerr << caption << ": " << prompt << " [" << initial << "] " << std::flush;
    auto answer = ReadAnswerLine();
    if (answer && answer->empty())
        return initial;
    return answer;
}

std::optional<std::string> TQtPlatform::OpenFileName(const std::string&)
{
    std::cerr << "File: " << std::flush;
    return ReadAnswerLine();
}

std::optional<std::string> TQtPlatform::SaveFileName(const std::string&,
                                                     const std::string& proposedName)
{
    std::cerr << "File [" << proposedName << "]: " << std::flush;
    auto answer = ReadAnswerLine();
    if (answer && answer->empty())
        return proposedName;
    return answer;
}

bool TQtPlatform::PowerStatus(TPowerStatus& status)
{
    return ReadPowerSupply(status);
}

void TQtPlatform::DebugOutput(const std::string& line)
{
    if (debugOutput_)
        std::fprintf(stderr, "%s\n", line.c_str());
}

void TQtPlatform::SyncFile(const std::string& path, const std::function<void(int error)>& done)
{
    // One sync running and one waiting cover every line written before the request.
    if (syncsQueued_.fetch_add(1) >= 2) {
        --syncsQueued_;
        return;
    }
    syncThread_.start([this, path, done] {
        done(SyncFileNow(path));
        --syncsQueued_;
    });
}

uint32_t TQtPlatform::Random(uint32_t range)
{
    if (range == 0)
        return 0;
    std::lock_guard lock(randomMutex_);
    return std::uniform_int_distribution<uint32_t>(0, range - 1)(random_);
}

}  // namespace kv
