// The operator's shots by key: in the keys' order, a high-voltage shot only once its charge
// time has passed since the charge went, the shots behind it waiting; a stop, or a refusal
// at the last moment, tells each shot it did not fire.
#include "show/player/shots/HandShots.h"
#include "support/platform/VirtualPlatform.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <map>
#include <string>
#include <vector>

namespace kvtest {
namespace {

using TCharge = kv::THandShots::TCharge;

class HandShots : public ::testing::Test {
protected:
    HandShots() { kv::InstallPlatform(&platform); }
    ~HandShots() override { kv::InstallPlatform(nullptr); }

    static std::string Name(int module, int channel)
    {
        return std::to_string(module) + "/" + std::to_string(channel);
    }
    void Add(int module, int channel, std::function<void()> after = {})
    {
        shots.Add(module, channel, [this, module, channel, after](bool fired) {
            events.push_back(Name(module, channel) + (fired ? " done" : " not fired"));
            if (after)
                after();
        });
    }
    void Run(uint32_t ms)
    {
        platform.Advance(ms);
        shots.Run();
    }

    kv::TVirtualPlatform platform{0xFFFFFFFFu - 1000};
    std::map<int, TCharge> charges;  // by module; none needed when absent
    std::vector<int> refused;        // modules whose shot may not fire after all
    std::vector<std::string> events;
    kv::THandShots shots{[this](int module, int channel) {
                             events.push_back("charge " + Name(module, channel));
                             return charges.contains(module) ? charges[module] : TCharge::None;
                         },
                         [this](int module, int channel) {
                             if (std::find(refused.begin(), refused.end(), module) != refused.end())
                                 return false;
                             events.push_back("fire " + Name(module, channel));
                             return true;
                         },
                         2000};
};

TEST_F(HandShots, KeepTheKeysOrderAndFireAChargedShotOnlyAfterItsChargeTime)
{
    charges[5] = TCharge::Sent;
    Add(1, 0);
    Add(5, 3);
    Add(1, 1);
    EXPECT_EQ(events, (std::vector<std::string>{"charge 1/0", "fire 1/0", "1/0 done", "charge 5/3"}));
    EXPECT_TRUE(shots.Charged(5));
    EXPECT_FALSE(shots.Charged(1));
    Run(1999);
    EXPECT_EQ(events.size(), 4u) << "fired before its charge time";
    Run(1);
    EXPECT_EQ(events, (std::vector<std::string>{"charge 1/0", "fire 1/0", "1/0 done", "charge 5/3",
                                                "fire 5/3", "5/3 done", "charge 1/1", "fire 1/1",
                                                "1/1 done"}));
    EXPECT_FALSE(shots.Waiting());
}

TEST_F(HandShots, AChargeThatMustWaitIsAskedAgainAndItsTimeCountsFromWhenItWent)
{
    charges[5] = TCharge::Later;
    Add(5, 0);
    Add(1, 0);
    EXPECT_EQ(events, (std::vector<std::string>{"charge 5/0", "charge 5/0"}))
        << "asked again at each look, the key behind it waiting";
    EXPECT_FALSE(shots.Charged(5)) << "not charged while it waits for a gap";
    Run(500);
    charges[5] = TCharge::Sent;
    Run(500);
    EXPECT_TRUE(shots.Charged(5));
    Run(1999);
    EXPECT_EQ(events.size(), 4u);
    Run(1);
    ASSERT_GE(events.size(), 5u);
    EXPECT_EQ(events[4], "fire 5/0");
    EXPECT_EQ(events.back(), "1/0 done");
}

TEST_F(HandShots, AStopOrARefusalTellsEachShotItDidNotFire)
{
    charges[5] = TCharge::Sent;
    Add(5, 0);
    Add(1, 0);
    shots.Drop();
    EXPECT_EQ(events, (std::vector<std::string>{"charge 5/0", "5/0 not fired", "1/0 not fired"}));
    Run(3000);
    EXPECT_EQ(events.size(), 3u);

    // A stop raised by a shot's own event drops the shots behind it; a refused shot fires not.
    events.clear();
    refused = {7};
    Add(5, 1);
    Add(1, 1, [this] { shots.Drop(); });
    Add(1, 2);
    Add(7, 0);
    Run(2000);
    EXPECT_EQ(events, (std::vector<std::string>{"charge 5/1", "fire 5/1", "5/1 done", "charge 1/1",
                                                "fire 1/1", "1/1 done", "1/2 not fired",
                                                "7/0 not fired"}));
    Add(7, 1);
    EXPECT_EQ(events.back(), "7/1 not fired");
    EXPECT_FALSE(shots.Waiting());
}

}  // namespace
}  // namespace kvtest
