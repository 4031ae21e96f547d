// Timecode played into the sound server's null sink and captured from its monitor, as the
// console receives a sound desk's timecode; in real time.
#include "rigs/DeskPlayback.h"
#include "rigs/LtcSignal.h"
#include "show/timecode/TimecodeReceiver.h"

#include "rigs/SoundtrackFiles.h"
#include "support/platform/Platform.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <thread>

namespace kvtest {
namespace {

TEST(TimecodeCapture, LocksOnTimecodeFromTheNullSinksMonitorAndNeverRunsAhead)
{
    if (!kv::RequireAudioServer())
        return;
    kv::TTimecodeSettings settings;
    settings.source = "nullsink.monitor";
    settings.zero = {1, 0, 0, 0};
    TLtcSignal signal(kv::TTimecodeRate::Fps2997Drop, settings.zero);
    signal.Play(150);
    kv::TTimecodeReceiver receiver(settings);
    std::string error;
    ASSERT_TRUE(receiver.Open(error)) << error;
    TDeskPlayback desk(signal);
    ASSERT_TRUE(desk.Playing());
    int ahead = 0;
    int locked = 0;
    int quality = 0;
    std::string indicator;
    for (int i = 0; i < 1000 && !desk.Done(); ++i) {
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
        // What was handed over by now, taken before the look: the look cannot be past it.
        const int64_t writtenMs = desk.Written() * 1000 / TLtcSignal::kRate;
        const uint32_t now = kv::Platform().TickCount();
        receiver.Chase().Poll(now);
        const auto heard = receiver.Chase().Heard(now);
        if (!heard)
            continue;
        if (++locked == 100) {
            quality = receiver.Chase().Quality(now);
            indicator = receiver.IndicatorText(now);
        }
        if (signal.PlayedAt(*heard) < 0 || signal.PlayedAt(*heard) > writtenMs)
            ++ahead;
    }
    EXPECT_GT(locked, 100) << "never locked, or lost the lock";
    EXPECT_EQ(ahead, 0);
    EXPECT_EQ(receiver.Chase().Rate(), kv::TTimecodeRate::Fps2997Drop);
    EXPECT_GE(quality, 90);
    EXPECT_NE(indicator.find(" 29.97 drop-frame "), std::string::npos) << indicator;
}

TEST(TimecodeCapture, ASourceThatIsNotThereIsReported)
{
    if (!kv::AudioServerReachable())
        GTEST_SKIP() << "no audio server";
    kv::TTimecodeSettings settings;
    settings.source = "no-such-source";
    kv::TTimecodeReceiver receiver(settings);
    std::string error;
    EXPECT_FALSE(receiver.Open(error));
    EXPECT_FALSE(error.empty());
    EXPECT_FALSE(receiver.IsOpen());
}

}  // namespace
}  // namespace kvtest
