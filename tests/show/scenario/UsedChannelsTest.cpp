#include "devices/kinds/CommonControl.h"
#include "devices/memory/ScenarioChecks.h"
#include "rigs/DeviceFieldFixture.h"
#include "show/scenario/ProjectList.h"

#include <filesystem>
#include <fstream>

namespace kv {
namespace {

class UsedChannelsTest : public test::DeviceFieldFixture {
protected:
    void LoadAndMark(const std::string& text)
    {
        const auto path = std::filesystem::temp_directory_path() / "kv-used-channels.txt";
        std::ofstream(path, std::ios::binary) << text;
        list.Load(path.string());
        std::filesystem::remove(path);
        MarkScenarioChannels(*registry, list.Cues());
    }

    std::vector<int> MarkedChannels(const TCommonControl& module)
    {
        std::vector<int> marked;
        for (int channel = 0; channel < 512; ++channel)
            if (module.ChannelInScenario(channel))
                marked.push_back(channel);
        return marked;
    }

    TProjectList list;
};

TEST_F(UsedChannelsTest, MarksOnlyTheFiringChannelsOfEachModule)
{
    AddModule({.address = 3, .channels = 16});
    AddModule({.address = 4, .channels = 32});
    Connect();
    auto& three = Registered<TCommonControl>(3);
    auto& four = Registered<TCommonControl>(4);

    // Channels 0 and 513 as written, a motor cue and an unregistered module mark nothing.
    LoadAndMark("1 3 1\n2 3 5\n3 3 0\n4 3 513\n5 3 #C\n6 4 32\n7 9 2\n8 300 1\n");
    ASSERT_EQ(list.Count(), 8);
    EXPECT_EQ(MarkedChannels(three), (std::vector<int>{0, 4}));
    EXPECT_EQ(MarkedChannels(four), (std::vector<int>{31}));

    // A new scenario replaces the old marks.
    LoadAndMark("1 3 2\n");
    EXPECT_EQ(MarkedChannels(three), (std::vector<int>{1}));
    EXPECT_TRUE(MarkedChannels(four).empty());

    list.Clear();
    MarkScenarioChannels(*registry, list.Cues());
    EXPECT_TRUE(MarkedChannels(three).empty());
}

}  // namespace
}  // namespace kv
