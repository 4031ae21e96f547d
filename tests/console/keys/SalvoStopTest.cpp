// A stop while the port sends a long salvo takes its unsent tail back; the operator goes on
// from the keyboard as the cue list shows it.
#include "rigs/console/FieldConsole.h"

#include "devices/registry/Controls.h"
#include "field/bus/FieldRecord.h"
#include "show/player/ExtPlayer.h"

#include <map>
#include <string>
#include <utility>

namespace kv {
namespace {

class SalvoStopTest : public FieldConsoleTest {};

// 240 cues at one moment on 16 modules over two converters: F6 in the salvo, Enter on the
// cue the list shows next, F5 once fired channels of the salvo a second time.
TEST_F(SalvoStopTest, EnterOnTheNextCueAfterAStopInTheSalvoFiresNoChannelTwice)
{
    std::string field = "[field]\nConverters=2\n";
    std::string scenario;
    for (int address = 1; address <= 16; ++address) {
        const std::string name = std::to_string(address);
        field += "[device" + name + "]\nKind=module\nAddress=" + name +
                 "\nConverter=" + (address > 8 ? "1" : "0") + "\nChannels=16\n";
        for (int channel = 1; channel <= 15; ++channel)
            scenario += "0:00.50\t" + name + "\t" + std::to_string(channel) + "\n";
    }
    TMainForm& form = Start(field);
    for (int address = 1; address <= 16; ++address)
        ASSERT_NE(form.Controls().AddOrRefresh(address, address > 8 ? 1 : 0), nullptr);
    LoadScenario(scenario);
    Key(Qt::Key_F1);
    Key(Qt::Key_F5);
    ASSERT_TRUE(form.Player().IsRunning());
    ASSERT_TRUE(WaitFor([&] { return Field().Shots().size() >= 40; }));
    Key(Qt::Key_F6);
    ASSERT_FALSE(form.Player().IsRunning());
    ASSERT_LT(Field().Shots().size(), 240u) << "the salvo was not cut";
    Key(Qt::Key_Return);
    Key(Qt::Key_F5);
    ASSERT_TRUE(form.Player().IsRunning());
    ASSERT_TRUE(WaitFor([&] { return !form.Player().IsRunning(); }));

    std::map<std::pair<int, int>, int> shots;
    for (const TShotEntry& shot : Field().Shots())
        ++shots[{shot.address, shot.channel}];
    EXPECT_EQ(shots.size(), 240u) << "a shot was lost";
    for (const auto& [shot, count] : shots)
        EXPECT_EQ(count, 1) << "module " << shot.first << " channel " << shot.second + 1;
}

}  // namespace
}  // namespace kv
