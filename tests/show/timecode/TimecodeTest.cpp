// Timecode labels and the chase of encoded timecode, on virtual time.
#include "rigs/LtcSignal.h"
#include "show/timecode/TimecodeArm.h"
#include "show/timecode/TimecodeChase.h"
#include "show/timecode/TimecodeReceiver.h"
#include "support/text/IniFile.h"
#include "support/platform/VirtualPlatform.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <climits>
#include <string>

namespace kvtest {
namespace {

using kv::TTimecodeLabel;
using kv::TTimecodeRate;
using State = kv::TTimecodeChase::TState;

TEST(TimecodeLabels, DropFrameSkipsTwoNumbersEachMinuteButEveryTenth)
{
    const TTimecodeRate df = TTimecodeRate::Fps2997Drop;
    const int64_t last = kv::FrameIndex({0, 0, 59, 29}, df);
    EXPECT_EQ(kv::LabelAt(last + 1, df), (TTimecodeLabel{0, 1, 0, 2}));
    EXPECT_EQ(kv::LabelAt(kv::FrameIndex({0, 9, 59, 29}, df) + 1, df), (TTimecodeLabel{0, 10, 0, 0}));
    EXPECT_EQ(kv::FrameIndex({1, 0, 0, 0}, df), 107892) << "108 numbers an hour dropped";
    EXPECT_FALSE(kv::ValidLabel({0, 1, 0, 1}, df));
    EXPECT_TRUE(kv::ValidLabel({0, 10, 0, 1}, df));
    for (const TTimecodeRate rate : {TTimecodeRate::Fps24, TTimecodeRate::Fps25, df, TTimecodeRate::Fps30})
        for (const int64_t index : {int64_t{0}, int64_t{1799}, int64_t{1800}, int64_t{17982}, int64_t{2589407}})
            EXPECT_EQ(kv::FrameIndex(kv::LabelAt(index, rate), rate), index);
    // An hour of drop-frame is 3.6 s short of an hour of labels: it keeps to the wall clock.
    EXPECT_EQ(kv::FrameStartMs(kv::FrameIndex({1, 0, 0, 0}, df), df), 3599996);
    EXPECT_EQ(kv::FrameAtMs(kv::FrameStartMs(1234, df), df), 1233) << "begins a fraction later";
    EXPECT_EQ(kv::FrameAtMs(kv::FrameStartMs(1234, df) + 1, df), 1234);
}

TEST(TimecodeLabels, TextsAndSettings)
{
    EXPECT_EQ(kv::ParseTimecode("01:02:03:04"), (TTimecodeLabel{1, 2, 3, 4}));
    EXPECT_EQ(kv::ParseTimecode("01:00:00;02"), (TTimecodeLabel{1, 0, 0, 2}));
    EXPECT_FALSE(kv::ParseTimecode("24:00:00:00"));
    EXPECT_FALSE(kv::ParseTimecode("01:00:00:00x"));
    EXPECT_FALSE(kv::ParseTimecode("1:0:0"));
    EXPECT_EQ(kv::FormatTimecode({1, 0, 0, 2}, true), "01:00:00;02");
    EXPECT_EQ(kv::ParseTimecodeRate(" 29.97DF"), TTimecodeRate::Fps2997Drop);
    EXPECT_FALSE(kv::ParseTimecodeRate("29"));

    const kv::TTimecodeSettings set = kv::ReadTimecodeSettings(kv::TIniFile::Parse(
        "[timecode]\nSource=desk.monitor\nRate=25\nZero=10:00:00:00\nOnLoss=Stop\n"
        "FreewheelMs=1500\nLockFrames=1\nUnlockFrames=3\nJumpLimitMs=400\n"));
    EXPECT_EQ(set.source, "desk.monitor");
    EXPECT_EQ(set.rate, TTimecodeRate::Fps25);
    EXPECT_EQ(set.zero, (TTimecodeLabel{10, 0, 0, 0}));
    EXPECT_EQ(set.onLoss, kv::TTimecodeLoss::Stop);
    EXPECT_EQ(set.freewheelMs, 1500);
    // On by default since the capture dates a monitor's samples by its latency below 0 and
    // the benchmark measured no early shot with it (the early ones before were its cues
    // planned finer than a scenario's centiseconds).
    EXPECT_TRUE(set.withinFrame);
    EXPECT_FALSE(kv::ReadTimecodeSettings(kv::TIniFile::Parse("[timecode]\nWithinFrame=0\n"))
                     .withinFrame);
    // Five frames: 200 ms at 25 fps, as quick as desks lock; one would take any noise.
    EXPECT_EQ(set.lockFrames, 5);
    EXPECT_EQ(set.unlockFrames, 3);
    EXPECT_EQ(set.jumpLimitMs, 400);
    EXPECT_FALSE(set.output.on);
    EXPECT_EQ(set.output.rate, TTimecodeRate::Fps25);

    const kv::TTimecodeOutputSettings out =
        kv::ReadTimecodeSettings(kv::TIniFile::Parse("[timecode]\nOutput=Soundtrack\nOutputOn=1\n"
                                                     "OutputRate=29.97df\nOutputZero=09:59:50;00\n"))
            .output;
    EXPECT_TRUE(out.on);
    EXPECT_EQ(out.target.sink, "") << "the soundtrack's sink is the default one";
    EXPECT_EQ(out.target.side, kv::TSoundSide::Right);
    EXPECT_EQ(out.rate, TTimecodeRate::Fps2997Drop);
    EXPECT_EQ(out.zero, (TTimecodeLabel{9, 59, 50, 0}));
    const kv::TTimecodeOutputSettings sink = kv::ReadTimecodeSettings(kv::TIniFile::Parse(
        "[timecode]\nOutput=lights\nOutputRate=auto\n")).output;
    EXPECT_EQ(sink.target.sink, "lights");
    EXPECT_EQ(sink.target.side, kv::TSoundSide::Both);
    EXPECT_EQ(sink.rate, TTimecodeRate::Fps25) << "a rate to send must be one";
}

struct TLossCase {
    kv::TTimecodeLoss onLoss;
    int32_t freewheelMs;
    bool withinFrame;
    const char* name;
    bool runsOn;  // past the last frame decoded, over the signal heard after it
};
constexpr TLossCase kLossCases[] = {
    // The default.
    {kv::TTimecodeLoss::Freewheel, 3000, true, "freewheel within the frame", true},
    {kv::TTimecodeLoss::Stop, 3000, true, "stop", false},
    {kv::TTimecodeLoss::Freewheel, 0, true, "freewheel 0 ms", false},
    {kv::TTimecodeLoss::Freewheel, 3000, false, "freewheel to the frame's end", false}};

// The chase alone: the signal as the capture delivers it in 10 ms blocks.
class Chase : public ::testing::Test {
protected:
    Chase() { kv::InstallPlatform(&platform); }
    ~Chase() override { kv::InstallPlatform(nullptr); }

    void Begin(TLtcSignal& signal, uint32_t earlyMs = 0)
    {
        capture.reset();
        chase.reset();
        input = std::make_unique<kv::TTimecodeInput>();
        chase = std::make_unique<kv::TTimecodeChase>(*input, settings);
        capture = std::make_unique<TVirtualCapture>(signal, *input, 10, earlyMs);
    }
    // Polls every 5 ms for ms; counts the looks at which the chase gave a time ahead of what
    // was played, and the greatest lag behind it; and the looks past the end of the last frame
    // decoded, and past the end of the frame after it.
    void Watch(const TLtcSignal& signal, uint32_t ms)
    {
        for (uint32_t t = 0; t < ms; t += 5) {
            platform.Advance(5);
            const uint32_t now = platform.TickCount();
            chase->Poll(now);
            const auto heard = chase->Heard(now);
            if (!heard)
                continue;
            maxHeard = std::max(maxHeard, *heard);
            const TTimecodeRate rate = chase->Rate();
            const int64_t zero = kv::FrameStartMs(kv::FrameIndex(settings.zero, rate), rate);
            const int64_t last = kv::FrameIndex(chase->Label(), rate);
            pastLast += *heard >= kv::FrameStartMs(last + 1, rate) - zero;
            pastNext += *heard >= kv::FrameStartMs(last + 2, rate) - zero;
            const int64_t played = signal.PlayedAt(*heard);
            if (played < 0 || played > Elapsed())
                ++ahead;
            else
                worstLag = std::max<int64_t>(worstLag, Elapsed() - played);
        }
    }
    void ResetWatch()
    {
        ahead = pastLast = pastNext = 0;
        worstLag = 0;
        maxHeard = INT32_MIN;
    }
    // A run of its own under this behaviour on loss.
    void Use(const TLossCase& loss)
    {
        settings.onLoss = loss.onLoss;
        settings.freewheelMs = loss.freewheelMs;
        settings.withinFrame = loss.withinFrame;
        ResetWatch();
    }
    // Since the signal started.
    int64_t Elapsed() { return static_cast<uint32_t>(platform.TickCount() - capture->StartTick()); }
    int Logged(const std::string& start)
    {
        return static_cast<int>(std::count_if(platform.debugLines.begin(), platform.debugLines.end(),
                                              [&](const std::string& line) { return line.rfind(start, 0) == 0; }));
    }

    kv::TVirtualPlatform platform{0xFFFFFFFFu - 700};
    std::unique_ptr<kv::TTimecodeInput> input;
    kv::TTimecodeSettings settings;
    std::unique_ptr<kv::TTimecodeChase> chase;
    std::unique_ptr<TVirtualCapture> capture;
    int ahead = 0;
    int64_t worstLag = 0;
    int pastLast = 0;
    int pastNext = 0;
    int32_t maxHeard = INT32_MIN;
};


TEST_F(Chase, LocksOnEveryRateAfterTheSetFramesAndNeverRunsAhead)
{
    struct TCase {
        TTimecodeRate rate;
        const char* name;
    };
    for (const TCase& c : {TCase{TTimecodeRate::Fps24, "24"}, TCase{TTimecodeRate::Fps25, "25"},
                           TCase{TTimecodeRate::Fps2997Drop, "29.97 drop-frame"},
                           TCase{TTimecodeRate::Fps30, "30"}}) {
        SCOPED_TRACE(c.name);
        platform.debugLines.clear();
        ahead = 0;
        worstLag = 0;
        settings.zero = {1, 0, 0, 0};
        TLtcSignal signal(c.rate, settings.zero);
        signal.Play(300);
        Begin(signal);
        const int64_t period = kv::FramePeriodUs(c.rate) / 1000;
        platform.Advance(static_cast<uint32_t>(period * (settings.lockFrames - 1)));
        chase->Poll(platform.TickCount());
        EXPECT_EQ(chase->State(), State::Searching) << "locked before the set frames";
        Watch(signal, 4000);
        EXPECT_EQ(chase->State(), State::Locked);
        EXPECT_EQ(chase->Rate(), c.rate);
        EXPECT_EQ(ahead, 0);
        EXPECT_LE(worstLag, 2 * period + 10) << "a frame is known only once it has passed";
        EXPECT_EQ(Logged(std::string("Частота таймкода, кадров в секунду: ") + c.name), 1);
        EXPECT_EQ(Logged("Таймкод захвачен: 01:00:00"), 1);
        EXPECT_GE(chase->Quality(platform.TickCount()), 95);
        Watch(signal, 14000 - 4000);
        EXPECT_FALSE(chase->Heard(platform.TickCount())) << "lost when the signal ended";
        EXPECT_EQ(Logged("Таймкод потерян после"), 1);
        EXPECT_EQ(chase->Quality(platform.TickCount()), 0);
    }
}

// A good frame follows the one before it; the lock, the loss and the quality count only those.
// User bits, which desks fill as they like, change nothing.
TEST_F(Chase, LockLossAndQualityCountOnlyTheFramesThatFollowTheirPredecessor)
{
    settings.zero = {1, 0, 0, 0};
    TLtcSignal signal(TTimecodeRate::Fps25, settings.zero);
    signal.SetChangingUserBits(true);
    signal.CueShowMs(-2000);
    signal.Play(100);  // to 2 s, after 4 s
    // Every other frame off the track: each good one still follows the good one before.
    for (int i = 0; i < 50; ++i) {
        signal.Play(1);
        const int32_t next = signal.NextShowMs();
        signal.Cue({5, i % 60, 30, 0});
        signal.Play(1);
        signal.CueShowMs(next + 40);
    }  // to 6 s, after 8 s
    // Decodable frames of which none follows another.
    for (int i = 0; i < 25; ++i) {
        signal.Cue({7, i % 60, 10, 0});
        signal.Play(1);
    }  // after 9 s
    signal.CueShowMs(7000);
    signal.Play(100);  // to 11 s, after 13 s
    for (int i = 0; i < 50; ++i) {  // the desk stands on 01:00:10:24
        signal.CueShowMs(10999);
        signal.Play(1);
    }
    Begin(signal);
    const auto Locked = [&] { return chase->State() == State::Locked; };
    platform.Advance(4 * 40 + 15);
    chase->Poll(platform.TickCount());
    EXPECT_FALSE(Locked()) << "locked on four frames";
    platform.Advance(40);
    chase->Poll(platform.TickCount());
    EXPECT_TRUE(Locked()) << "not locked on five";
    EXPECT_EQ(Logged("Таймкод захвачен: 00:59:58:04; качество сигнала, %: 100"), 1);
    Watch(signal, 4000 - 215);
    EXPECT_GE(chase->Quality(platform.TickCount()), 95);

    Watch(signal, 3900);  // the last second with every other frame off the track
    EXPECT_TRUE(Locked()) << "half the frames good: the track goes on";
    EXPECT_EQ(Logged("Таймкод потерян"), 0);
    EXPECT_NEAR(chase->Quality(platform.TickCount()), 50, 6);

    Watch(signal, 100 + 4 * 40);
    EXPECT_TRUE(Locked()) << "lost before five frames went bad";
    Watch(signal, 80);
    EXPECT_FALSE(Locked()) << "five frames bad: the lock holds on garbage";
    EXPECT_EQ(Logged("Таймкод потерян после 01:00:05:"), 1);
    EXPECT_EQ(Logged("Таймкод захвачен"), 1);
    Watch(signal, 1000 - 240);
    EXPECT_LE(chase->Quality(platform.TickCount()), 5) << "a second of garbage";

    ResetWatch();  // the show times of the frames off the track were never played
    Watch(signal, 2000);
    EXPECT_TRUE(Locked());
    EXPECT_EQ(Logged("Таймкод захвачен: 01:00:07:04; качество сигнала, %: "), 1);
    EXPECT_GE(chase->Quality(platform.TickCount()), 95);
    EXPECT_EQ(ahead, 0);

    Watch(signal, 4000);  // two seconds of the desk standing
    EXPECT_TRUE(Locked()) << "a desk standing still is no loss: a freewheel would run past it";
    EXPECT_EQ(maxHeard, 10999) << "the clock went past the frame the desk stands on";
    EXPECT_GE(chase->Quality(platform.TickCount()), 95);
}

// A desk does not jump by a frame that disagrees with the ones before: one stray frame moves
// nothing; a jump is followed once the frame after confirms it.
TEST_F(Chase, AFrameOffTheTrackIsFollowedOnlyOnceTheNextConfirmsIt)
{
    settings.zero = {1, 0, 0, 0};
    TLtcSignal signal(TTimecodeRate::Fps25, settings.zero);
    signal.CueShowMs(-1000);
    signal.Play(75);  // to 2 s, after 3 s
    signal.CueShowMs(9000);
    signal.Play(1);
    signal.CueShowMs(2040);
    signal.Play(50);  // to 4.04 s, after 5.04 s
    signal.CueShowMs(8000);
    signal.Play(100);
    Begin(signal);
    platform.Advance(500);
    chase->Poll(platform.TickCount());
    ASSERT_TRUE(chase->Heard(platform.TickCount()));
    chase->Follow(*chase->Heard(platform.TickCount()), platform.TickCount());
    int64_t jumpedAt = -1;
    while (Elapsed() < 7000) {
        platform.Advance(5);
        const auto look = chase->Look(platform.TickCount());
        if (look.jumped)
            jumpedAt = Elapsed();
        if (Elapsed() < 5040 + 80) {
            EXPECT_LE(look.time, 4080) << "followed a stray frame at " << Elapsed();
        }
        if (look.time < 8000) {
            EXPECT_LE(signal.PlayedAt(look.time), Elapsed()) << "ahead at " << Elapsed();
        }
    }
    // The new track's second frame ends at 5.12 s; the capture's 10 ms block and a look.
    EXPECT_GE(jumpedAt, 5120);
    EXPECT_LE(jumpedAt, 5120 + 10 + 5);
    EXPECT_EQ(Logged("timecode jump 01:00:04:"), 1);
    EXPECT_EQ(Logged("Таймкод назад"), 0);
    // The record keeps what the show last saw: a report written once the signal is gone
    // still tells the quality the show ended with.
    EXPECT_EQ(chase->Record().lastQuality, chase->Quality(platform.TickCount()));
    EXPECT_GE(chase->Record().lastQuality.value_or(0), 95);
    platform.Advance(4000);
    EXPECT_EQ(chase->Quality(platform.TickCount()), 0);
    EXPECT_GE(chase->Record().lastQuality.value_or(0), 95);
}

// A look held up (the main thread busy for longer than the jump limit) finds the desk further
// on its own track: the desk did not jump, so nothing is passed over; its cues come late.
TEST_F(Chase, ALateLookOnTheSameTrackIsNoJump)
{
    settings.zero = {1, 0, 0, 0};
    TLtcSignal signal(TTimecodeRate::Fps25, settings.zero);
    signal.Play(200);
    Begin(signal);
    platform.Advance(500);
    chase->Poll(platform.TickCount());
    ASSERT_TRUE(chase->Heard(platform.TickCount()));
    chase->Follow(*chase->Heard(platform.TickCount()), platform.TickCount());
    for (int i = 0; i < 100; ++i) {
        platform.Advance(5);
        ASSERT_FALSE(chase->Look(platform.TickCount()).jumped);
    }
    const int32_t before = chase->Look(platform.TickCount()).time;
    platform.Advance(settings.jumpLimitMs + 150);
    const auto look = chase->Look(platform.TickCount());
    EXPECT_FALSE(look.jumped);
    EXPECT_GE(look.time, before + settings.jumpLimitMs + 100);
    EXPECT_LE(signal.PlayedAt(look.time), Elapsed());
    EXPECT_EQ(Logged("timecode jump"), 0);
}

// The start line and the jump lines name the frame a show moment falls in, as the chase dates it.
TEST_F(Chase, AShowMomentIsNamedByTheFrameTheChaseDatesItIn)
{
    settings.zero = {1, 0, 0, 0};
    for (const TTimecodeRate rate : {TTimecodeRate::Fps24, TTimecodeRate::Fps25,
                                     TTimecodeRate::Fps2997Drop, TTimecodeRate::Fps30}) {
        SCOPED_TRACE(kv::TimecodeRateName(rate));
        TLtcSignal signal(rate, settings.zero);
        signal.Play(100);
        Begin(signal);
        Watch(signal, 1500);
        ASSERT_EQ(chase->State(), State::Locked);
        const int64_t zero = kv::FrameIndex(settings.zero, rate);
        const bool drop = rate == TTimecodeRate::Fps2997Drop;
        const auto Named = [&](int32_t ms) { return kv::FormatTimecode(chase->LabelOfShowMs(ms), drop); };
        for (const int64_t frame : {int64_t{0}, int64_t{1}, int64_t{2}, int64_t{29}, int64_t{1799},
                                    int64_t{1800}, int64_t{17982}}) {
            const auto ms = static_cast<int32_t>(kv::FrameStartMs(zero + frame, rate) -
                                                 kv::FrameStartMs(zero, rate));
            EXPECT_EQ(Named(ms), kv::FormatTimecode(kv::LabelAt(zero + frame, rate), drop));
            if (frame > 0)
                EXPECT_EQ(Named(ms - 1), kv::FormatTimecode(kv::LabelAt(zero + frame - 1, rate), drop));
        }
    }
}

TEST_F(Chase, RunsOnOverTheSignalHeardAfterTheLastFrameOnlyWhenItMayFreewheel)
{
    settings.zero = {1, 0, 0, 0};
    for (const TTimecodeRate rate : {TTimecodeRate::Fps25, TTimecodeRate::Fps2997Drop}) {
        for (const TLossCase& loss : kLossCases) {
            SCOPED_TRACE(kv::TimecodeRateName(rate) + ", " + loss.name);
            Use(loss);
            TLtcSignal signal(rate, settings.zero);
            signal.Play(300);
            Begin(signal);
            platform.Advance(1000);
            Watch(signal, 7000);
            EXPECT_EQ(ahead, 0);
            EXPECT_EQ(pastNext, 0);
            if (loss.runsOn) {
                EXPECT_GT(pastLast, 0);
                // Behind by the next frame's label (its first 58 bits of 80) before the clock
                // may enter it, the capture's 10 ms block and the millisecond begun. (Before
                // the label was checked the clock ran on as soon as the edges kept the pace:
                // 11 ms, and ahead of a desk that stood or went back.)
                EXPECT_LE(worstLag, kv::FramePeriodUs(rate) * 58 / 80 / 1000 + 11);
            } else {
                EXPECT_EQ(pastLast, 0);
                EXPECT_GE(worstLag, kv::FramePeriodUs(rate) / 1000);
            }
        }
    }
}

TEST_F(Chase, StopsWhereTheSignalBreaksOffAndNeverPassesTheFrameAfterTheLastDecoded)
{
    settings.zero = {1, 0, 0, 0};
    enum class TEnd { Cut, Silence, EdgesWithoutFrames };
    for (const TLossCase& loss : kLossCases) {
        for (const TEnd end : {TEnd::Cut, TEnd::Silence, TEnd::EdgesWithoutFrames}) {
            SCOPED_TRACE(std::string(loss.name) + ", end " + std::to_string(static_cast<int>(end)));
            Use(loss);
            TLtcSignal signal(TTimecodeRate::Fps25, settings.zero);
            signal.Play(100);  // to 4 s
            if (end == TEnd::Cut)
                signal.PlayCut(0.5);  // to 4.02 s
            else if (end == TEnd::EdgesWithoutFrames)
                signal.PlayBitPace(1000);
            signal.Silence(1000);
            Begin(signal);
            Watch(signal, 5000);
            EXPECT_EQ(chase->State(), State::Searching) << "the loss was not noticed";
            if (!loss.runsOn) {
                EXPECT_LE(maxHeard, 3999) << "past the last whole frame";
                continue;
            }
            if (end == TEnd::EdgesWithoutFrames) {
                // Edges at the pace that carry no label are not the frame expected (they ran
                // the clock to the end of that frame before the label was checked).
                EXPECT_LE(maxHeard, 3999) << "followed edges that are no timecode";
                continue;
            }
            EXPECT_EQ(ahead, 0);
            if (end == TEnd::Cut) {
                // Cut before its label was whole: the cut frame is not known to be the one
                // expected (its heard part was followed before the label was checked).
                EXPECT_LE(maxHeard, 3999) << "followed a frame cut before its label";
            }
        }
    }
}

// Within the frame after the last decoded the clock runs on only over what the desk is heard
// to play of it: a desk that stops dead, stands on a frame, slows down or jumps back, at a
// frame's end or within one, never has the clock ahead of it.
TEST_F(Chase, WithinAFrameTheClockNeverRunsAheadOfADeskThatStopsStandsSlowsOrGoesBack)
{
    settings.zero = {1, 0, 0, 0};
    enum class TDesk { Stops, Stands, Slows, JumpsBack };
    struct TCase {
        TDesk desk;
        double part;  // of the frame under way
        double factor;
        const char* name;
    };
    constexpr TCase kCases[] = {{TDesk::Stops, 0.2, 1, "stops dead a fifth into a frame"},
                                {TDesk::Stops, 0.8, 1, "stops dead four fifths into a frame"},
                                {TDesk::Stands, 0, 1, "stands on a frame"},
                                {TDesk::Slows, 0.5, 1.1, "slows by a tenth mid-frame"},
                                {TDesk::Slows, 0.2, 1.3, "slows by three tenths"},
                                {TDesk::JumpsBack, 0, 1, "jumps back 2 s at a frame's end"},
                                {TDesk::JumpsBack, 0.3, 1, "jumps back 2 s a third into a frame"},
                                {TDesk::JumpsBack, 0.6, 1, "jumps back 2 s mid-frame"}};
    for (const TTimecodeRate rate : {TTimecodeRate::Fps24, TTimecodeRate::Fps25,
                                     TTimecodeRate::Fps2997Drop, TTimecodeRate::Fps30}) {
        for (const TCase& c : kCases) {
            SCOPED_TRACE(kv::TimecodeRateName(rate) + ", " + c.name);
            ResetWatch();
            TLtcSignal signal(rate, settings.zero);
            signal.CueShowMs(-1000);
            signal.Play(100);
            const int32_t at = signal.NextShowMs();
            switch (c.desk) {
            case TDesk::Stops:
                signal.PlayCut(c.part);
                signal.Silence(1000);
                break;
            case TDesk::Stands:
                for (int i = 0; i < 25; ++i) {
                    signal.CueShowMs(at - 1);
                    signal.Play(1);
                }
                break;
            case TDesk::Slows:
                signal.PlaySlowed(50, c.factor, c.part);
                break;
            case TDesk::JumpsBack:
                if (c.part > 0)
                    signal.PlayCut(c.part);
                signal.CueShowMs(at - 2000);
                signal.Play(100);
                break;
            }
            Begin(signal);
            Watch(signal, static_cast<uint32_t>(signal.LengthMs() + 300));
            EXPECT_EQ(ahead, 0);
            EXPECT_GT(pastLast, 0) << "the clock never ran on within a frame";
        }
    }
}

TEST_F(Chase, AFrameHandedOverBeforeItIsPlayedHoldsTheClockUntilItBegins)
{
    // A sink's monitor hands the signal over as much as the sink's latency before it plays
    // it, dated when played: here each frame is whole 20 ms before its first bit is played.
    settings.zero = {1, 0, 0, 0};
    for (const TTimecodeRate rate : {TTimecodeRate::Fps25, TTimecodeRate::Fps2997Drop}) {
        for (const TLossCase& loss : kLossCases) {
            SCOPED_TRACE(kv::TimecodeRateName(rate) + ", " + loss.name);
            Use(loss);
            TLtcSignal signal(rate, settings.zero);
            signal.Play(300);
            const int64_t period = kv::FramePeriodUs(rate) / 1000;
            Begin(signal, static_cast<uint32_t>(period + 20));
            platform.Advance(1000);
            Watch(signal, 7000);
            EXPECT_EQ(chase->State(), State::Locked);
            EXPECT_EQ(ahead, 0);
            EXPECT_LE(worstLag, 2) << "the frames are known before they are played";
        }
    }
}

TEST_F(Chase, DropFrameNumberingAcrossAMinuteIsNoJump)
{
    settings.zero = {0, 0, 58, 0};
    TLtcSignal signal(TTimecodeRate::Fps2997Drop, settings.zero);
    signal.Cue({0, 0, 59, 0});
    signal.Play(90);
    Begin(signal);
    platform.Advance(500);
    chase->Poll(platform.TickCount());
    ASSERT_TRUE(chase->Heard(platform.TickCount()));
    chase->Follow(*chase->Heard(platform.TickCount()), platform.TickCount());
    for (int i = 0; i < 300; ++i) {
        platform.Advance(5);
        const auto look = chase->Look(platform.TickCount());
        EXPECT_FALSE(look.jumped);
        if (chase->State() == State::Locked) {
            EXPECT_LE(signal.PlayedAt(look.time), Elapsed());
        }
    }
    EXPECT_EQ(chase->Label().minutes, 1) << "past 00:01:00;02, which follows 00:00:59;29";
    EXPECT_EQ(Logged("Таймкод назад"), 0);
}

TEST_F(Chase, AWrongRateNeverLocksAndIsLoggedOnce)
{
    settings.rate = TTimecodeRate::Fps30;
    TLtcSignal signal(TTimecodeRate::Fps25);
    signal.Play(200);
    Begin(signal);
    Watch(signal, 6000);
    EXPECT_EQ(chase->State(), State::Searching);
    EXPECT_EQ(Logged("Таймкод не той частоты, что задана; слышно: 25 (30)"), 1);
}

TEST_F(Chase, ANoisyOrQuietSignalLocksAndNoiseAloneNever)
{
    for (const auto& [volume, noise, locks] :
         {std::tuple{-3.0, 0.3f, true}, std::tuple{-30.0, 0.0f, true}, std::tuple{-80.0, 0.5f, false}}) {
        SCOPED_TRACE(volume);
        ahead = 0;
        TLtcSignal signal(TTimecodeRate::Fps25);
        signal.SetVolume(volume);
        signal.SetNoise(noise);
        signal.Play(150);
        Begin(signal);
        Watch(signal, 3000);
        EXPECT_EQ(chase->State() == State::Locked, locks);
        EXPECT_EQ(ahead, 0);
    }
}

TEST_F(Chase, ArmedStartComesOnceWhenTheTimecodeReachesTheStartPoint)
{
    settings.zero = {10, 0, 0, 0};
    TLtcSignal signal(TTimecodeRate::Fps25, settings.zero);
    signal.CueShowMs(-3000);
    signal.Play(250);
    Begin(signal);
    std::vector<int64_t> starts;
    kv::TTimecodeArm arm(*chase, [] { return 2000; }, [&] { starts.push_back(Elapsed()); });
    arm.Arm();
    platform.Advance(9000);
    ASSERT_EQ(starts.size(), 1u);
    EXPECT_FALSE(arm.Armed());
    const int64_t played = signal.PlayedAt(2000);
    EXPECT_GE(starts[0], played) << "started early";
    EXPECT_LE(starts[0], played + 2 * 40 + 10 + kv::TTimecodeArm::kPollMs);
}

// A desk that rolls before the show's zero holds the show at its start until zero; one already
// past it when the wait is armed starts nothing, unless the settings let a show join.
TEST_F(Chase, PreRollHoldsTheStartAndAWaitArmedPastItJoinsOnlyWhenAllowed)
{
    settings.zero = {1, 0, 0, 0};
    struct TCase {
        int32_t deskFrom;
        bool joinLate;
        bool starts;
        const char* name;
    };
    for (const TCase& c : {TCase{-10000, false, true, "a pre-roll of 10 s"},
                           TCase{-100, false, true, "zero passed while the lock is taken"},
                           TCase{3000, false, false, "past the start"},
                           TCase{3000, true, true, "past the start, joining allowed"}}) {
        SCOPED_TRACE(c.name);
        settings.joinLate = c.joinLate;
        platform.debugLines.clear();
        TLtcSignal signal(TTimecodeRate::Fps25, settings.zero);
        signal.CueShowMs(c.deskFrom);
        signal.Play(400);
        Begin(signal);
        std::vector<int64_t> starts;
        int refusals = 0;
        kv::TTimecodeArm arm(*chase, [] { return 0; }, [&] { starts.push_back(Elapsed()); },
                             [&] { ++refusals; });
        arm.Arm();
        platform.Advance(15000);
        EXPECT_FALSE(arm.Armed());
        ASSERT_EQ(starts.size(), c.starts ? 1u : 0u);
        EXPECT_EQ(refusals, c.starts ? 0 : 1);
        EXPECT_EQ(Logged("Таймкод прошёл точку начала до ожидания: запуск отменён, ожидание снято "
                         "(вход в идущее шоу: [timecode] JoinLate=1); слышно: 01:00:03:"),
                  c.starts ? 0 : 1);
        if (c.deskFrom < 0) {
            EXPECT_GE(starts[0], signal.PlayedAt(0)) << "started before zero";
        }
        if (c.deskFrom < -1000) {
            EXPECT_LE(starts[0], signal.PlayedAt(0) + 40 + 10 + kv::TTimecodeArm::kPollMs);
        }
    }
}

TEST_F(Chase, TheIndicatorCountsTheSecondsBegunToTheStartPoint)
{
    settings.zero = {1, 0, 0, 0};
    TLtcSignal signal(TTimecodeRate::Fps25, settings.zero);
    signal.CueShowMs(-10000);
    signal.Play(300);
    kv::TTimecodeReceiver receiver(settings);
    TVirtualCapture feed(signal, receiver.Input());
    const auto Text = [&](std::optional<int32_t> startAt) {
        return receiver.IndicatorText(platform.TickCount(), startAt);
    };
    platform.Advance(2500);  // the desk at -7.5 s
    EXPECT_EQ(Text(0).substr(0, 10), "00:59:52:1") << Text(0);
    EXPECT_TRUE(Text(0).ends_with(" до начала: 00:00:08")) << Text(0);
    EXPECT_TRUE(Text(-5000).ends_with(" до начала: 00:00:03")) << Text(-5000);
    EXPECT_EQ(Text(std::nullopt).find("до начала"), std::string::npos) << "no start point";
    platform.Advance(7000);
    EXPECT_TRUE(Text(0).ends_with(" до начала: 00:00:01")) << Text(0);
    platform.Advance(600);
    EXPECT_EQ(Text(0).find("до начала"), std::string::npos) << "past the start point";
}

}  // namespace
}  // namespace kvtest
