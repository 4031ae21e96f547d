#include "support/platform/VirtualPlatform.h"

#include <gtest/gtest.h>

#include <thread>
#include <vector>

using kv::TAnswer;
using kv::TButtons;
using kv::TVirtualPlatform;

TEST(VirtualPlatform, TimersFireInDueOrderAndStopWhenDisabled)
{
    TVirtualPlatform platform(0);
    std::vector<std::pair<char, uint32_t>> calls;
    auto fast = platform.CreateTimer([&] { calls.push_back({'f', platform.TickCount()}); });
    auto slow = platform.CreateTimer([&] { calls.push_back({'s', platform.TickCount()}); });
    fast->SetInterval(25);
    slow->SetInterval(50);
    fast->SetEnabled(true);
    slow->SetEnabled(true);

    platform.Advance(100);
    const std::vector<std::pair<char, uint32_t>> expected = {
        {'f', 25}, {'f', 50}, {'s', 50}, {'f', 75}, {'f', 100}, {'s', 100}};
    EXPECT_EQ(calls, expected);

    calls.clear();
    fast->SetEnabled(false);
    platform.Advance(60);
    ASSERT_EQ(calls.size(), 1u);
    EXPECT_EQ(calls[0], std::make_pair('s', 150u));
}

TEST(VirtualPlatform, IntervalChangeRestartsTheTimerFromNow)
{
    TVirtualPlatform platform(0);
    std::vector<uint32_t> ticks;
    auto timer = platform.CreateTimer([&] { ticks.push_back(platform.TickCount()); });
    timer->SetInterval(100);
    timer->SetEnabled(true);
    platform.Advance(30);
    timer->SetInterval(10);
    platform.Advance(25);
    EXPECT_EQ(ticks, (std::vector<uint32_t>{40, 50}));
}

TEST(VirtualPlatform, APauseMovesTheClockButFiresNothingAndACallbackThatBlocksIsNotRepeated)
{
    TVirtualPlatform platform(0);
    int calls = 0;
    auto timer = platform.CreateTimer([&] {
        if (++calls == 1)
            platform.Sleep(100);  // blocks the main thread for four periods
    });
    timer->SetInterval(25);
    timer->SetEnabled(true);
    platform.Sleep(20);
    EXPECT_EQ(calls, 0);
    EXPECT_EQ(platform.TickCount(), 20u);
    platform.Advance(5);  // fires at 25 and sleeps to 125
    EXPECT_EQ(calls, 1);
    EXPECT_EQ(platform.TickCount(), 125u);
    platform.Advance(25);
    EXPECT_EQ(calls, 2);
}

TEST(VirtualPlatform, TickCountWrapsAt32Bits)
{
    TVirtualPlatform platform(0xFFFFFFF0u);
    platform.Advance(0x20);
    EXPECT_EQ(platform.TickCount(), 0x10u);
}

TEST(VirtualPlatform, AnHourOfA25msTimerRunsFast)
{
    TVirtualPlatform platform(0);
    uint64_t calls = 0;
    auto timer = platform.CreateTimer([&] { ++calls; });
    timer->SetInterval(25);
    timer->SetEnabled(true);
    platform.Advance(3'600'000);
    EXPECT_EQ(calls, 144'000u);
}

TEST(VirtualPlatform, HandOverFromAnotherThreadRunsOnTheMainThreadAndWaits)
{
    TVirtualPlatform platform(0);
    bool ranOnMain = false;
    bool returned = false;
    std::thread worker([&] {
        platform.RunOnMainThread([&] { ranOnMain = platform.IsMainThread(); });
        returned = true;
    });
    while (!returned)
        platform.Advance(1);
    worker.join();
    EXPECT_TRUE(ranOnMain);
}

TEST(VirtualPlatform, ScriptedOperatorAnswersThenFallsBackToTheSafeChoice)
{
    TVirtualPlatform platform;
    platform.answers.push_back(TAnswer::Yes);
    EXPECT_EQ(platform.MessageBox("Удалить?", "Подтверждение", TButtons::YesNo), TAnswer::Yes);
    EXPECT_EQ(platform.MessageBox("Удалить?", "Подтверждение", TButtons::YesNo), TAnswer::No);
    EXPECT_EQ(platform.MessageBox("Готово", "Сообщение", TButtons::Ok), TAnswer::Ok);
    ASSERT_EQ(platform.shownMessages.size(), 3u);
    EXPECT_EQ(platform.shownMessages[0].caption, "Подтверждение");
    EXPECT_FALSE(platform.InputBox("Изменение номера", "Введите новый номер пульта:", "5"));
}
