// Sequences the safety property once found breaking a rule, replayed as plain tests. Run with
// KV_SAFETY_TRACE set to see the field's record of a failing one.
#include "show/safety/SafetyCase.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <iostream>
#include <sstream>

namespace kvtest {
namespace {

class ShowSafetyCase : public ::testing::Test {
protected:
    static void Holds(const TSafetyCase& safetyCase)
    {
        std::ostringstream trace;
        const std::string broken = RunSafetyCase(safetyCase, std::getenv("KV_SAFETY_TRACE") ? &trace : nullptr);
        EXPECT_EQ(broken, "");
        std::cout << trace.str();
    }
};

// Autonomous control, modules on two converters: another station's stop, heard on the first
// converter's line only, left the modules on the second playing their memory.
TEST_F(ShowSafetyCase, AStopHeardOnOneLineStopsTheModulesOnTheOthers)
{
    Holds(TSafetyCase{true, 0, {{2000, 2, 0, 0}},
                      {{TSafetyKind::Start, 0, 0, false}, {TSafetyKind::HeardStop, 500, 0, false}}});
}

// Autonomous control: the second high-voltage module's shots need two charges, its memory holds
// none; its second shot went with the first one's charge.
TEST_F(ShowSafetyCase, AnAutonomousShowWhoseHighVoltageShotsNeedTwoChargesDoesNotStart)
{
    Holds(TSafetyCase{true, 2, {{0, 4, 1, 0}}, {{TSafetyKind::Start, 0, 0, false}}});
}

// Autonomous control on timecode: a time frame set the modules back 50 ms, 18 ms after they
// fired a cue from memory; the stop came 26 ms after the shot. The report gave the cue as in
// doubt (missed), as it should: the rules took only set-backs of more than a tenth for one.
TEST_F(ShowSafetyCase, ACueFiredJustBeforeASmallSetBackMayBeReportedInDoubt)
{
    Holds(TSafetyCase{true, 0,
    {{31, 1, 1, 0}, },
    {
     {TSafetyKind::TimecodeJump, 1, 0, false},
     {TSafetyKind::Tempo, 243, 0, false},
     {TSafetyKind::Start, 107, 0, false},
     {TSafetyKind::Start, 355, 0, false},
     {TSafetyKind::Start, 64, 0, false},
     {TSafetyKind::StartAtBegin, 243, 0, false},
     {TSafetyKind::OtherStart, 157, 0, false},
     {TSafetyKind::Lock, 274, 0, false},
     {TSafetyKind::TimecodeDropOut, 149, 0, false},
     {TSafetyKind::Offset, 117, 0, false},
     {TSafetyKind::Stop, 0, 0, false},},
    2});
}

// A cue at the start point fired at once, before its moment by the offset set below 0.
TEST_F(ShowSafetyCase, ACueAtTheStartPointWaitsForANegativeOffset)
{
    Holds(TSafetyCase{false, 2, {{0, 1, 1, 0}},
                      {{TSafetyKind::Offset, 0, 0, false}, {TSafetyKind::Start, 0, 0, false}}});
}

// Autonomous control: the offset set back moved the modules' running clocks back; stopped then
// by the answer to another master's start, they were started again at the tenth after where
// they stood, not after where they had played to, and fired the cue at 99 ms once more.
TEST_F(ShowSafetyCase, ModulesSetBackAndStoppedStartAgainAfterAllTheyPlayed)
{
    Holds(TSafetyCase{true, 0, {{59, 1, 1, 0}, {40, 1, 1, 0}},
                      {{TSafetyKind::Start, 0, 0, false},
                       {TSafetyKind::Offset, 184, 0, false},
                       {TSafetyKind::OtherStart, 0, 1, false}}});
}

// A salvo of four fired, the show ended; Enter on the salvo's second cue and the start key
// fired the first cue again.
TEST_F(ShowSafetyCase, EnterOnACueOfAFiredSalvoStartsFromThatCue)
{
    Holds(TSafetyCase{false, 2, {{0, 4, 0, 0}},
                      {{TSafetyKind::Start, 0, 0, false},
                       {TSafetyKind::EnterCue, 1, 1, false},
                       {TSafetyKind::Start, 0, 0, false}}});
}

// The same after the show ended, then another master's start at the tenth that holds the start
// point, below it by a millisecond: the salvo's first cue fired again.
TEST_F(ShowSafetyCase, AStartFromTheBusInTheTenthOfTheChosenCueStartsFromThatCue)
{
    Holds(TSafetyCase{false, 0, {{1, 4, 1, 0}},
                      {{TSafetyKind::Start, 0, 0, false},
                       {TSafetyKind::EnterCue, 1, 1, false},
                       {TSafetyKind::OtherStart, 0, 0, true}}});
}

// A show played to its end (and started again from there, which fires nothing and leaves no
// check due); a rehearsal from there, then the real bus again: the start key fired the last
// cue once more on the real bus, the rehearsal's show taken for the real one.
TEST_F(ShowSafetyCase, AfterARehearsalTheRealBusGoesOnFromItsOwnShow)
{
    Holds(TSafetyCase{false, 0, {{0, 1, 1, 0}},
                      {{TSafetyKind::Start, 0, 0, false},
                       {TSafetyKind::Start, 1000, 0, false},
                       {TSafetyKind::Rehearsal, 1000, 0, false},
                       {TSafetyKind::Start, 0, 0, false},
                       {TSafetyKind::Rehearsal, 1000, 0, false},
                       {TSafetyKind::Start, 0, 0, false}}});
}

// Autonomous, on the desk's timecode: the modules fired a cue from memory, the desk jumped back
// two seconds, the modules' clocks were set back to wait for it, and the show was stopped:
// the report called the cue fired before the set-back "stopped before its time".
TEST_F(ShowSafetyCase, ACueFiredFromMemoryBeforeASetBackStaysFiredInTheReport)
{
    Holds(TSafetyCase{true, 0, {{16, 1, 0, 0}, {35, 1, 0, 0}},
                      {{TSafetyKind::Start, 43, 0, false},
                       {TSafetyKind::Tempo, 341, 0, false},
                       {TSafetyKind::Offset, 319, 226, false},
                       {TSafetyKind::Start, 26, 0, false},
                       {TSafetyKind::Stop, 346, 0, false},
                       {TSafetyKind::Stop, 67, 0, false},
                       {TSafetyKind::Start, 248, 0, false},
                       {TSafetyKind::TimecodeJump, 59, 0, false},
                       {TSafetyKind::Lock, 6, 0, false},
                       {TSafetyKind::Stop, 292, 0, false}},
                      kMediaTimecode});
}

// Autonomous: the station's answer to another master's start stopped the modules at about
// 5 ms; the report called the cue at 15 ms fired from memory, which no module fired.
TEST_F(ShowSafetyCase, ACueTheModulesMayNotHaveReachedIsNeverReportedFired)
{
    Holds(TSafetyCase{true, 0, {{15, 1, 0, 0}},
                      {{TSafetyKind::Start, 0, 0, false}, {TSafetyKind::OtherStart, 0, 1, false}}});
}

// Autonomous: the modules fired a cue from memory while the main thread was held; the
// station's answer to another master's start then stopped them, and the report called the
// cue stopped before its time.
TEST_F(ShowSafetyCase, ACueFiredBeforeTheModulesWereStoppedStaysFired)
{
    Holds(TSafetyCase{true, 2, {{31, 1, 1, 0}},
                      {{TSafetyKind::Start, 0, 0, false}, {TSafetyKind::Hold, 34, 11, false},
                       {TSafetyKind::OtherStart, 0, 1, false}}});
}

// Autonomous, on timecode with the offset at +300 ms: the modules started from standing at
// 200 ms, then were set back; the report called the cue at 100 ms, which they had started
// above, fired from memory.
TEST_F(ShowSafetyCase, ACueTheModulesStartedAboveIsNeverReportedFired)
{
    Holds(TSafetyCase{true, 0, {{44, 1, 1, 0}, {56, 1, 0, 0}},
                      {{TSafetyKind::Offset, 0, 16, false}, {TSafetyKind::Offset, 0, 160, false},
                       {TSafetyKind::Start, 40, 0, false}},
                      kMediaTimecode});
}

// Autonomous control with a standby following: another master's start, heard while the show
// ran, was taken for the standby's and the station gave its show up to no one, the modules
// playing their memory unstopped.
TEST_F(ShowSafetyCase, AnotherMastersStartIsNoStandbysTakeover)
{
    Holds(TSafetyCase{true, 2, {{0, 1, 0, 0}},
                      {{TSafetyKind::Offset, 0, 488, false},
                       {TSafetyKind::Start, 0, 0, false},
                       {TSafetyKind::OtherStart, 151, 1, false}},
                      kMediaSoundtrack,
                      true});
}

}  // namespace
}  // namespace kvtest
