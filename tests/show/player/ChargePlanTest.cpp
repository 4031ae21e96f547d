// The charge plan's bookkeeping over every pair of the ways a show shot leaves the show: the
// charge a shot carries and the one announced are always those of the module's next shot.
#include "rigs/VirtualShow.h"

#include "show/player/shots/ChargePlan.h"

#include <set>

namespace kvtest {
namespace {

enum class TWay { Fired, PassedOver, ByHand, TakenBack };

const char* Name(TWay way)
{
    switch (way) {
    case TWay::Fired: return "fired";
    case TWay::PassedOver: return "passed over";
    case TWay::ByHand: return "fired by hand";
    case TWay::TakenBack: return "taken back and handed over again";
    }
    return "";
}

class ChargePlan : public VirtualShow {
protected:
    // Module 5's channel c charges to 50 (c + 1) V; module 1's cue in between has no charge.
    ChargePlan()
    {
        ConnectMixedField();
        MeasureCharges(show->Device<kv::THVControl>(5), 5);
        show->LoadScenario("1 5 1\n2 5 2\n2.5 1 1\n3 5 3\n4 5 4\n5 5 5\n");
    }
    static int Volts(int32_t cue) { return 50 * (cue < 2 ? cue + 1 : cue); }

    // The charge of module 5's first cue not yet handled; 1 when none is left.
    int Expected(const std::set<int32_t>& handled) const
    {
        for (int32_t cue : {0, 1, 3, 4, 5})
            if (!handled.contains(cue))
                return Volts(cue);
        return kv::kChargeUsedUp;
    }
    void Apply(kv::TChargePlan& plan, TWay way, int32_t cue, std::set<int32_t>& handled)
    {
        switch (way) {
        case TWay::Fired:
        case TWay::TakenBack:
            handled.insert(cue);
            EXPECT_EQ(plan.ShotCharge(5, cue), Expected(handled)) << "carried by the shot";
            // Handed over again after it was taken back: the same charge again.
            if (way == TWay::TakenBack) {
                plan.Rewind(cue);
                EXPECT_EQ(plan.ShotCharge(5, cue), Expected(handled)) << "handed over again";
            }
            break;
        case TWay::PassedOver:
            EXPECT_TRUE(plan.PassOver(cue));
            handled.insert(cue);
            break;
        case TWay::ByHand:
            plan.RemoveByHand(cue);
            handled.insert(cue);
            break;
        }
    }
};

TEST_F(ChargePlan, EveryPairOfWaysLeavesTheNextShotsChargeAnnounced)
{
    const std::vector<TWay> ways{TWay::Fired, TWay::PassedOver, TWay::ByHand, TWay::TakenBack};
    const std::vector<int32_t> shots{0, 1, 3, 4, 5};
    for (const TWay first : ways)
        for (const TWay second : ways)
            for (size_t a = 0; a < shots.size(); ++a)
                for (size_t b = a + 1; b < shots.size(); ++b) {
                    // The show handles its cues in order; a key may take a later one first.
                    const bool keyFirst = second == TWay::ByHand;
                    SCOPED_TRACE(std::string(Name(first)) + " cue " + std::to_string(shots[a]) +
                                 ", " + Name(second) + " cue " + std::to_string(shots[b]) +
                                 (keyFirst ? ", the key first" : ""));
                    kv::TChargePlan plan(*show->registry);
                    plan.Prepare(show->scenario.Cues(), 0, 0, [](size_t) { return false; });
                    std::set<int32_t> handled;
                    if (keyFirst)
                        Apply(plan, second, shots[b], handled);
                    // The cues before each of the pair went as fired.
                    for (size_t cue = 0; cue < (keyFirst ? a : b); ++cue)
                        if (!handled.contains(shots[cue]))
                            Apply(plan, cue == a ? first : TWay::Fired, shots[cue], handled);
                    if (!keyFirst)
                        Apply(plan, second, shots[b], handled);
                    else
                        Apply(plan, first, shots[a], handled);
                    EXPECT_EQ(plan.Next(5), Expected(handled));
                    // The rest of the show fires: each shot carries its successor's charge.
                    for (const int32_t cue : shots)
                        if (!handled.contains(cue))
                            Apply(plan, TWay::Fired, cue, handled);
                    EXPECT_EQ(plan.Next(5), kv::kChargeUsedUp);
                }
}

TEST_F(ChargePlan, OnlyHighVoltageShotsFromTheStartTakeAPlaceAndTheFirstChargeIsToldAtOnce)
{
    kv::TChargePlan plan(*show->registry);
    show->field->ClearRecord();
    // From 2 s on, cue 4 already fired by hand.
    plan.Prepare(show->scenario.Cues(), 1, 2000, [](size_t cue) { return cue == 4; });
    EXPECT_FALSE(plan.HasPlace(0)) << "before the start";
    EXPECT_FALSE(plan.HasPlace(2)) << "an ordinary module";
    EXPECT_FALSE(plan.HasPlace(4)) << "fired by hand";
    EXPECT_EQ(plan.Modules(), std::vector<int>{5});
    const auto told = show->Sent(0x84);
    ASSERT_EQ(told.size(), 1u);
    EXPECT_EQ((told[0].bytes[3] & 0x7F) * 128 + (told[0].bytes[4] & 0x7F), Volts(1));
    EXPECT_EQ(plan.ShotCharge(5, 1), Volts(3));
    EXPECT_EQ(plan.ShotCharge(5, 3), Volts(5)) << "past the cue fired by hand";
}

}  // namespace
}  // namespace kvtest
