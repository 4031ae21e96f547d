#include "support/platform/Platform.h"

#include <QCoreApplication>
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <functional>
#include <thread>

using namespace kv;

namespace {

// Runs the event loop until done holds; the limit only stops a broken test from hanging.
bool RunEventsUntil(const std::function<bool()>& done, std::chrono::seconds limit)
{
    const auto end = std::chrono::steady_clock::now() + limit;
    while (!done()) {
        if (std::chrono::steady_clock::now() > end)
            return false;
        QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
    }
    return true;
}

}  // namespace

TEST(QtPlatform, ATimerTakesANewIntervalWhileRunningAndStopsWhenDisabled)
{
    int calls = 0;
    auto timer = Platform().CreateTimer([&] { ++calls; });
    EXPECT_FALSE(timer->Enabled());
    timer->SetInterval(60000);
    timer->SetEnabled(true);
    EXPECT_TRUE(timer->Enabled());
    timer->SetInterval(5);  // without the change nothing would come for a minute
    EXPECT_EQ(timer->Interval(), 5u);
    EXPECT_TRUE(timer->Enabled());
    ASSERT_TRUE(RunEventsUntil([&] { return calls >= 3; }, std::chrono::seconds(20)));

    timer->SetEnabled(false);
    const int before = calls;
    std::this_thread::sleep_for(std::chrono::milliseconds(30));
    QCoreApplication::processEvents(QEventLoop::AllEvents, 50);
    EXPECT_EQ(calls, before);
}

TEST(QtPlatform, AHandOverRunsOnTheMainThreadAndTheWorkerWaitsForIt)
{
    ASSERT_TRUE(Platform().IsMainThread());
    std::atomic<bool> ranOnMain{false};
    std::atomic<bool> workerSawResult{false};
    std::atomic<bool> finished{false};
    std::thread worker([&] {
        EXPECT_FALSE(Platform().IsMainThread());
        int result = 0;
        Platform().RunOnMainThread([&] {
            ranOnMain = Platform().IsMainThread();
            std::this_thread::sleep_for(std::chrono::milliseconds(20));
            result = 42;
        });
        workerSawResult = result == 42;  // written on the main thread before the return
        finished = true;
    });
    const bool done = RunEventsUntil([&] { return finished.load(); }, std::chrono::seconds(20));
    worker.join();
    ASSERT_TRUE(done);
    EXPECT_TRUE(ranOnMain);
    EXPECT_TRUE(workerSawResult);
}

TEST(QtPlatform, AHandOverOnTheMainThreadRunsAtOnce)
{
    bool ran = false;
    Platform().RunOnMainThread([&] { ran = true; });
    EXPECT_TRUE(ran);
}

TEST(QtPlatform, TheTickCounterFollowsAPause)
{
    const uint32_t start = Platform().TickCount();
    Platform().Sleep(30);
    EXPECT_GE(static_cast<uint32_t>(Platform().TickCount() - start), 30u);
}

TEST(QtPlatform, RandomNumbersStayInRange)
{
    EXPECT_EQ(Platform().Random(0), 0u);
    for (int i = 0; i < 1000; ++i)
        ASSERT_LT(Platform().Random(7), 7u);
}
