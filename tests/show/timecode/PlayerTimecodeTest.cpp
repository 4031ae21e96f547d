// A show that chases encoded timecode on virtual time: it starts when the timecode reaches
// the start point and fires each cue once, never before the desk played its time, through
// drop-outs, jumps both ways and timecode played backwards.
#include "rigs/LtcSignal.h"
#include "devices/memory/ModuleTransfer.h"
#include "rigs/VirtualShow.h"
#include "show/timecode/TimecodeArm.h"
#include "show/timecode/TimecodeChase.h"

#include "devices/kinds/HVControl.h"
#include "devices/memory/ScenarioCue.h"

#include <map>
#include <string>
#include <utility>

namespace kvtest {
namespace {

using kv::TTimecodeRate;

constexpr kv::TTimecodeLabel kZero{1, 0, 0, 0};
constexpr int kCues = 32;
constexpr int32_t kFirstCue = 500;
constexpr int32_t kCueStep = 300;
// While locked a new timecode is trusted once the frame after its first confirms it.
constexpr int32_t kConfirmFrames = 2;

int32_t CueTime(int cue)
{
    return kFirstCue + kCueStep * cue;
}

class PlayerTimecode : public VirtualShow {
protected:
    void SetUp() override
    {
        show->AddModule(Module(1));
        show->AddModule(Module(2));
        show->Connect();
        std::string text;
        for (int i = 0; i < kCues; ++i)
            text += std::to_string(CueTime(i) / 1000.0) + " " + std::to_string(1 + i / 16) + " " +
                    std::to_string(1 + i % 16) + "\n";
        show->LoadScenario(text);
        settings.zero = kZero;
    }
    // Armed at start point 0; the signal plays from its start now.
    void Run(const TLtcSignal& signal, uint32_t ms)
    {
        arm.reset();
        capture.reset();
        chase.reset();
        input = std::make_unique<kv::TTimecodeInput>();
        chase = std::make_unique<kv::TTimecodeChase>(*input, settings);
        capture = std::make_unique<TVirtualCapture>(signal, *input, 10, earlyMs);
        arm = std::make_unique<kv::TTimecodeArm>(*chase, [] { return 0; },
                                                 [this] { Player().StartChased(0, *chase); });
        SetStartPoint(0);
        arm->Arm();
        platform.Advance(ms);
    }
    // Each shot with the moment its cue's time was played, both from the signal's start.
    struct TShot {
        int cue;
        int64_t at;
        int64_t played;
    };
    std::vector<TShot> ShotsOnce(const TLtcSignal& signal)
    {
        std::vector<TShot> shots;
        std::map<int, int> times;
        for (const kv::TShotEntry& shot : show->Shots()) {
            const int cue = (shot.address - 1) * 16 + shot.channel;
            EXPECT_EQ(++times[cue], 1) << "cue " << cue << " fired twice";
            shots.push_back({cue, Since(capture->StartTick(), shot.Tick()),
                             signal.PlayedAt(CueTime(cue))});
        }
        return shots;
    }
    // Late by the lag the setting leaves, the fire frame's first bit at most 5 ms after the
    // clock reached the cue: with a freewheel the capture's 10 ms block and the millisecond
    // begun; with OnLoss=stop the frame under way besides, the clock not passing its end.
    void ExpectOnTime(const std::vector<TShot>& shots)
    {
        // Running on within a frame, the clock waits for the next frame's label, its first
        // 58 bits of 80.
        const int64_t lag = settings.onLoss == kv::TTimecodeLoss::Freewheel ? 40 * 58 / 80 + 10 + 1
                                                                            : 40 + 10 + 1;
        for (const TShot& shot : shots) {
            EXPECT_GE(shot.played, 0) << "cue " << shot.cue << " was never played";
            EXPECT_GE(shot.at, shot.played) << "cue " << shot.cue << " early";
            EXPECT_LE(shot.at, shot.played + lag + 5) << "cue " << shot.cue << " late";
        }
    }
    kv::TMissReason Reason(int cue)
    {
        return Player().FiringReport().Records()[static_cast<size_t>(cue)].reason;
    }
    int Count(const std::string& start)
    {
        return static_cast<int>(std::count_if(platform.debugLines.begin(), platform.debugLines.end(),
                                              [&](const std::string& line) { return line.rfind(start, 0) == 0; }));
    }

    std::unique_ptr<kv::TTimecodeInput> input;
    kv::TTimecodeSettings settings;
    std::unique_ptr<kv::TTimecodeChase> chase;
    std::unique_ptr<TVirtualCapture> capture;
    std::unique_ptr<kv::TTimecodeArm> arm;
    uint32_t earlyMs = 0;  // the capture's signal comes in so long before it is played
};

TEST_F(PlayerTimecode, StartsAtTheStartPointAndFiresEveryCueOnceOnTime)
{
    for (const auto& [rate, loss] : {std::pair{TTimecodeRate::Fps25, kv::TTimecodeLoss::Freewheel},
                                     std::pair{TTimecodeRate::Fps2997Drop, kv::TTimecodeLoss::Freewheel},
                                     std::pair{TTimecodeRate::Fps25, kv::TTimecodeLoss::Stop}}) {
        SCOPED_TRACE(kv::TimecodeRateName(rate) + (loss == kv::TTimecodeLoss::Stop ? ", stop" : ""));
        settings.onLoss = loss;
        show->field->ClearRecord();
        TLtcSignal signal(rate, kZero);
        signal.CueShowMs(-2000);
        signal.Play(rate == TTimecodeRate::Fps25 ? 350 : 420);
        Run(signal, 1990);
        EXPECT_FALSE(Player().IsRunning()) << "started before the start point";
        platform.Advance(11000);
        const std::vector<TShot> shots = ShotsOnce(signal);
        EXPECT_EQ(shots.size(), static_cast<size_t>(kCues));
        ExpectOnTime(shots);
        EXPECT_FALSE(Player().IsRunning());
    }
}

TEST_F(PlayerTimecode, ASignalHandedOverBeforeItIsPlayedFiresNoCueBeforeItsTime)
{
    // A sink's monitor ahead of what the sink plays by 100 ms, two frames and a half: the
    // frame last decoded has not begun.
    earlyMs = 100;
    for (const bool withinFrame : {true, false}) {
        SCOPED_TRACE(withinFrame ? "within the frame" : "to the last frame's end");
        settings.withinFrame = withinFrame;
        show->field->ClearRecord();
        TLtcSignal signal(TTimecodeRate::Fps25, kZero);
        signal.CueShowMs(-2000);
        signal.Play(350);
        Run(signal, 13000);
        const std::vector<TShot> shots = ShotsOnce(signal);
        EXPECT_EQ(shots.size(), static_cast<size_t>(kCues));
        ExpectOnTime(shots);
    }
}

TEST_F(PlayerTimecode, ADropOutFreewheelsThenTheTimecodeTakesOverAgain)
{
    // Below the lag the loss's detection leaves: a jump measured on the clock would show.
    settings.jumpLimitMs = 100;
    TLtcSignal signal(TTimecodeRate::Fps25, kZero);
    signal.CueShowMs(-1000);
    signal.Play(100);  // to 3 s
    signal.Silence(2000);
    signal.CueShowMs(5000);
    signal.Play(200);
    Run(signal, 15000);
    const std::vector<TShot> shots = ShotsOnce(signal);
    EXPECT_EQ(shots.size(), static_cast<size_t>(kCues));
    for (const TShot& shot : shots) {
        // The desk played on through the silence: its time ran with the wall clock.
        const int64_t played = 1000 + CueTime(shot.cue);
        EXPECT_GE(shot.at, played) << "cue " << shot.cue << " early";
    }
    EXPECT_EQ(Count("Таймкод потерян после 01:00:02:2"), 1);
    EXPECT_EQ(Count("Шоу идёт по своим часам, мс: 3000"), 1);
    // Back after the freewheel the clock lags by the loss's detection; the desk did not jump.
    EXPECT_EQ(Count("timecode jump"), 0);
}

TEST_F(PlayerTimecode, ALossBeyondTheFreewheelOrWithStopAtOnceStopsTheShow)
{
    for (const auto loss : {kv::TTimecodeLoss::Freewheel, kv::TTimecodeLoss::Stop}) {
        show->field->ClearRecord();
        platform.debugLines.clear();
        settings.onLoss = loss;
        settings.freewheelMs = 1000;
        TLtcSignal signal(TTimecodeRate::Fps25, kZero);
        signal.CueShowMs(-1000);
        signal.Play(75);  // to 2 s
        signal.Silence(3000);
        signal.CueShowMs(5000);
        signal.Play(200);
        Run(signal, 3000);
        const uint32_t lost = platform.TickCount();
        EXPECT_TRUE(platform.AdvanceUntil([this] { return !Player().IsRunning(); }, 10000, 1));
        const int32_t stoppedAfter = Since(lost, platform.TickCount());
        const int32_t expected = loss == kv::TTimecodeLoss::Stop ? 200 : 200 + 1000;
        EXPECT_GE(stoppedAfter, expected - 50);
        EXPECT_LE(stoppedAfter, expected + 50);
        platform.Advance(10000);
        const std::vector<TShot> shots = ShotsOnce(signal);
        const int64_t freewheelEnd = 3000 + expected + 25;
        for (const TShot& shot : shots)
            EXPECT_LE(shot.at, freewheelEnd) << "cue " << shot.cue << " fired after the stop";
        EXPECT_FALSE(Player().IsRunning()) << "the returning timecode started nothing";
        EXPECT_EQ(Count("Таймкод не вернулся, шоу остановлено"), 1);
        EXPECT_EQ(Count("Шоу идёт по своим часам"), loss == kv::TTimecodeLoss::Stop ? 0 : 1);
    }
}

TEST_F(PlayerTimecode, AJumpForwardBeyondTheLimitPassesOverTheCuesInBetween)
{
    for (const uint8_t control : {kv::kControlDirect, kv::kControlAutonomous}) {
        for (const kv::TTimecodeLoss loss : {kv::TTimecodeLoss::Freewheel, kv::TTimecodeLoss::Stop}) {
            const bool stop = loss == kv::TTimecodeLoss::Stop;
            SCOPED_TRACE(std::string(control == kv::kControlDirect ? "direct" : "from the modules' memory") +
                         (stop ? ", stop" : ", freewheel"));
            settings.onLoss = loss;
            Reconfigure(Player(), &kv::TShowSetup::controlMode, control);
            if (control == kv::kControlAutonomous) {
                ASSERT_EQ(kv::TModuleTransfer(*show->registry).WriteScenario(kv::TCueView(show->scenario.Cues())), 0);
            }
            show->field->ClearRecord();
            platform.debugLines.clear();
            TLtcSignal signal(TTimecodeRate::Fps25, kZero);
            signal.CueShowMs(-1000);
            signal.Play(75);  // to 2 s
            signal.CueShowMs(6000);
            signal.Play(150);
            Run(signal, 12000);
            std::vector<TShot> shots = ShotsOnce(signal);
            // The new timecode's first frame does not bear the label the old one would have gone
            // on with: the clock does not run into it, and the cue of 2 s there is passed over.
            // (Over the edges alone it once did, and a freewheel fired that cue.)
            const auto inTheFrameAfter = std::find_if(shots.begin(), shots.end(), [](const TShot& shot) {
                return CueTime(shot.cue) == 2000;
            });
            const bool firedAfter = inTheFrameAfter != shots.end();
            EXPECT_FALSE(firedAfter);
            if (firedAfter)
                shots.erase(inTheFrameAfter);
            if (control == kv::kControlDirect)
                ExpectOnTime(shots);
            int passed = 0;
            for (int cue = 0; cue < kCues; ++cue) {
                const auto shot = std::find_if(shots.begin(), shots.end(), [cue](const TShot& s) { return s.cue == cue; });
                if (shot != shots.end()) {
                    EXPECT_GE(shot->at, shot->played) << "cue " << cue << " early";
                }
                if (CueTime(cue) >= 2000 + (firedAfter ? 40 : 0) && CueTime(cue) <= 6000) {
                    EXPECT_EQ(shot, shots.end()) << "cue " << cue << " fired in a burst";
                    EXPECT_EQ(Reason(cue), kv::TMissReason::TimecodeJump) << "cue " << cue;
                    ++passed;
                } else if (CueTime(cue) > 6000 + kConfirmFrames * 40 + 80) {
                    // Played while the new timecode was not yet trusted, the others may go either way.
                    EXPECT_NE(shot, shots.end()) << "cue " << cue;
                }
            }
            EXPECT_EQ(passed + firedAfter, 14);
            // Where the clock stood when the jump was trusted: the end of the last frame of the
            // old timecode, the next one's label never having come (a freewheel once ran on over
            // the new timecode's first frame to 01:00:02:00).
            EXPECT_EQ(Count("timecode jump 01:00:01:24 -> 01:00:06:"), 1);
        }
    }
}

TEST_F(PlayerTimecode, AJumpWithinTheLimitFiresTheCuesInBetweenOnTheNewTime)
{
    settings.jumpLimitMs = 1000;
    TLtcSignal signal(TTimecodeRate::Fps25, kZero);
    signal.CueShowMs(-1000);
    signal.Play(75);  // to 2 s
    signal.CueShowMs(2800);
    signal.Play(200);
    Run(signal, 12000);
    std::vector<TShot> shots = ShotsOnce(signal);
    EXPECT_EQ(shots.size(), static_cast<size_t>(kCues));
    // The desk skipped them at 3 s into its stream, or played them while the new timecode
    // was not yet trusted: they come no sooner.
    const int32_t trusted = 2800 + kConfirmFrames * 40 + 80;
    const auto skipped = std::partition(shots.begin(), shots.end(), [trusted](const TShot& shot) {
        return CueTime(shot.cue) < 2000 || CueTime(shot.cue) > trusted;
    });
    // 2.0 to 2.9 s: the cue of 3.2 s, once played before the new timecode was trusted (after
    // ten frames), now comes on it.
    EXPECT_EQ(shots.end() - skipped, 4);
    for (auto shot = skipped; shot != shots.end(); ++shot)
        EXPECT_GE(shot->at, 3000) << "cue " << shot->cue;
    shots.erase(skipped, shots.end());
    ExpectOnTime(shots);
    EXPECT_EQ(Count("timecode jump"), 0);
}

TEST_F(PlayerTimecode, AJumpBackOrTimecodeBackwardsHoldsTheClockAndFiresNothingTwice)
{
    for (const auto& [backwards, loss] : {std::pair{false, kv::TTimecodeLoss::Freewheel},
                                          std::pair{true, kv::TTimecodeLoss::Freewheel},
                                          std::pair{false, kv::TTimecodeLoss::Stop},
                                          std::pair{true, kv::TTimecodeLoss::Stop}}) {
        SCOPED_TRACE(std::string(backwards ? "backwards" : "jump back") +
                     (loss == kv::TTimecodeLoss::Stop ? ", stop" : ", freewheel"));
        settings.onLoss = loss;
        show->field->ClearRecord();
        platform.debugLines.clear();
        TLtcSignal signal(TTimecodeRate::Fps25, kZero);
        signal.CueShowMs(-1000);
        signal.Play(127);  // to 4.08 s, the cue of 4.1 s in the frame after
        if (backwards)
            signal.PlayReversed(77);  // back to 1 s
        else
            signal.CueShowMs(1000);
        signal.Play(250);
        std::vector<int32_t> clock;
        Player().OnTime = [&](int32_t time) {
            if (Player().IsRunning())
                clock.push_back(time);
        };
        Run(signal, 19000);
        EXPECT_TRUE(std::is_sorted(clock.begin(), clock.end())) << "the clock stepped back";
        EXPECT_GT(clock.size(), 100u);
        std::vector<TShot> shots = ShotsOnce(signal);
        EXPECT_EQ(shots.size(), static_cast<size_t>(kCues));
        // The cue of 4.1 s lies in the frame the desk went back from instead of playing: its
        // label never came, so the clock never ran into it. (The clock once ran on over the
        // edges alone, and a freewheel fired that cue early, in the frame not played.)
        // Cues past 4.08 s were played only once the timecode came round again.
        ExpectOnTime(shots);
        EXPECT_EQ(Count("Таймкод назад, часы шоу ждут его на"), 1);
        EXPECT_EQ(Count("timecode jump"), 0);
        EXPECT_EQ(Count("Таймкод потерян"), 0) << "the signal never went away";
    }
}


// A jump of the timecode from 2 s to 5 s of the show passes over the cues between.
class PlayerTimecodeJumpOver : public PlayerTimecode {
protected:
    void SetUp() override
    {
        show->AddModule(Module(3, kv::TModuleKind::Motor));
        show->AddModule(Module(5, kv::TModuleKind::HighVoltage));
        show->Connect();
        settings.zero = kZero;
        MeasureCharges(show->Device<kv::THVControl>(5), 3);
        signal.CueShowMs(-1000);
        signal.Play(75);
        signal.CueShowMs(5000);
        signal.Play(150);
    }

    TLtcSignal signal{TTimecodeRate::Fps25, kZero};
};

// The cue a jump passed over left its charge in the module: the next shot fired with it.
TEST_F(PlayerTimecodeJumpOver, AHighVoltageCueAJumpPassesOverLeavesTheNextShotItsOwnCharge)
{
    show->LoadScenario("1 5 1\n3 5 2\n8 5 3\n");
    Run(signal, 10000);
    std::vector<std::pair<int, int>> shots;
    for (const kv::TShotEntry& shot : show->Shots())
        shots.emplace_back(shot.channel + 1, shot.chargeVolts);
    EXPECT_EQ(shots, (std::vector<std::pair<int, int>>{{1, 50}, {3, 150}}));
    EXPECT_EQ(Reason(1), kv::TMissReason::TimecodeJump);
}

// The motor cue a jump passed over left the launcher at the angle before it: the module's
// next shot went that way.
TEST_F(PlayerTimecodeJumpOver, AJumpPastAMotorCueTurnsTheMotorWhereTheShowHasItBeforeItsShot)
{
    show->LoadScenario("1 3 #L#50\n3 3 #R#50\n8 3 1\n");
    Run(signal, 10000);
    const auto moves = show->Sent(0x8C);
    ASSERT_EQ(moves.size(), 2u);
    EXPECT_EQ(Head(moves[0]), Bytes({0x8C, 0x94, 127, 0, 0, 3}));
    EXPECT_EQ(Head(moves[1]), Bytes({0x8C, 0x92, 255, 0, 0, 3})) << "the cue at 3 s, full speed";
    ASSERT_EQ(show->Shots().size(), 1u);
    EXPECT_GT(Since(moves[1].Tick(), show->Shots()[0].Tick()), 0);
    EXPECT_EQ(Reason(1), kv::TMissReason::TimecodeJump);
}

}  // namespace
}  // namespace kvtest
