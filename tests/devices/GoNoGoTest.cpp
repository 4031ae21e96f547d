// The go/no-go check before a show: the show against the installation as found, worst first.
#include "rigs/DeviceFieldFixture.h"

#include "devices/readiness/ChannelTest.h"
#include "devices/readiness/GoNoGo.h"
#include "devices/kinds/HVControl.h"
#include "link/Result.h"

#include <algorithm>

namespace kv::test {
namespace {

TScenarioCue Fire(int module, int channel, int32_t time = 1000)
{
    return {.time = time, .module = module, .channel = channel - 1};
}

TScenarioCue Move(int module, int32_t time)
{
    return {.time = time, .module = module, .kind = kKindLeft, .parameter1 = 100};
}

std::vector<std::string> Found(const std::vector<TGoFinding>& findings, TGoLevel level)
{
    std::vector<std::string> lines;
    for (const TGoFinding& finding : findings)
        if (finding.level == level)
            lines.push_back(finding.found);
    return lines;
}

const std::string stale = "Память модулей не содержит этот сценарий (не записан или не проверен): ";

class GoNoGo : public DeviceFieldFixture {
protected:
    void SetUp() override
    {
        // Four channels would make them high-voltage modules.
        AddModule({.address = 1, .channels = 8, .channelOhms = {8, kOpenOhms, 8, 8, 8, 8, 8, 8}});
        AddModule({.address = 2, .channels = 8, .channelOhms = std::vector<double>(8, 8.0),
                   .fireMode = false});
        AddModule({.kind = TModuleKind::HighVoltage, .address = 5, .channels = 4,
                   .channelOhms = {8, 8, 8, 8}});
        Connect();
        for (const int address : {1, 2, 5})
            registry->AddOrRefresh(address, 0);
        facts.converterCount = 1;
        facts.soundtrackLoaded = true;
        facts.soundtrackMs = 600000;
    }
    std::vector<TGoFinding> Check(const std::vector<TScenarioCue>& cues)
    {
        facts.cues = cues;
        facts.now = platform.TickCount();
        return CheckGoNoGo(*registry, facts);
    }
    void TestChannels(int address)
    {
        TChannelTest(*registry).TestModule(*Module(address));
    }
    TCommonControl* Module(int address)
    {
        return dynamic_cast<TCommonControl*>(registry->FindByAddress(address));
    }
    // The no-go memory lines alone.
    std::vector<std::string> StaleLines(const std::vector<TScenarioCue>& cues)
    {
        std::vector<std::string> lines;
        for (const std::string& line : Found(Check(cues), TGoLevel::NoGo))
            if (line.starts_with("Память"))
                lines.push_back(line);
        return lines;
    }

    TGoNoGoFacts facts;
};

TEST_F(GoNoGo, TheInstallationAsFoundWorstFirstEachLineWithWhatToDo)
{
    TestChannels(1);
    TestChannels(5);
    platform.Advance(12 * 60000);
    Module(2)->Poll();  // its status says test mode
    facts.soundtrackMs = 500;
    const std::vector<TScenarioCue> cues{Fire(1, 1), Fire(1, 2), Fire(2, 1), Fire(3, 1),
                                         Fire(1, 3, -500), Fire(5, 1)};
    const std::vector<TGoFinding> findings = Check(cues);
    EXPECT_EQ(Found(findings, TGoLevel::NoGo),
              (std::vector<std::string>{
                  "Модули сценария не найдены на шине: 3",
                  "Каналы сценария, пульт 1: неподключен: 2 (проверка, минут назад: 12)",
                  "Модули в режиме теста: 2"}));
    EXPECT_EQ(Found(findings, TGoLevel::Caution),
              (std::vector<std::string>{"Каналы сценария, пульт 2: не проверен: 1",
                                        "Фонограмма короче шоу: 0:00 < 0:01", "Команд до 0: 1"}));
    ASSERT_FALSE(findings.empty());
    EXPECT_EQ(findings.front().level, TGoLevel::NoGo) << "worst first";
    for (const TGoFinding& finding : findings)
        EXPECT_FALSE(finding.todo.empty()) << finding.found;
    EXPECT_EQ(findings.front().todo, "Найдите их поиском (F10): проверьте питание, линию и адрес.");

    facts.soundtrackLoaded = false;
    EXPECT_EQ(Found(Check({Fire(1, 1)}), TGoLevel::Caution),
              (std::vector<std::string>{"Фонограмма не загружена."}));
    facts.soundtrackLoaded = true;
    facts.soundtrackMs = 600000;
    EXPECT_TRUE(Check({Fire(1, 1), Fire(1, 3), Fire(5, 2)}).empty()) << "nothing in the way";
    // A standby cannot learn the primary's show from the bus: never all clear.
    facts.standby = true;
    EXPECT_EQ(Found(Check({Fire(1, 1), Fire(1, 3), Fire(5, 2)}), TGoLevel::Caution),
              (std::vector<std::string>{
                  "Резерв: что основная станция ведёт это же шоу, по шине проверить нельзя."}));
}

TEST_F(GoNoGo, HighVoltageChargesAndConverters)
{
    TestChannels(1);
    auto& highVoltage = dynamic_cast<THVControl&>(*Module(5));
    highVoltage.hvSetting = kHVSettingUnknown;
    facts.converterLost = true;
    EXPECT_EQ(Found(Check({Fire(1, 1), Fire(5, 1)}), TGoLevel::NoGo),
              (std::vector<std::string>{"Энергия заряда не известна, пульты: 5",
                                        "Каналы не измерены, заряд 1 В, пульты: 5",
                                        "Преобразователь USB-RS485 потерян."}));
    facts.converterLost = false;
    Module(1)->converterIndex = 1;  // the second converter, gone since
    EXPECT_EQ(Found(Check({Fire(1, 1)}), TGoLevel::NoGo),
              (std::vector<std::string>{
                  "Модули отвечали через преобразователь, которого больше нет: 1"}));
    facts.converterCount = 2;
    facts.absentConverters = {1};  // lost beside the first, which is open
    EXPECT_EQ(Found(Check({Fire(1, 1)}), TGoLevel::NoGo),
              (std::vector<std::string>{
                  "Модули отвечали через преобразователь, которого больше нет: 1"}));
    facts.converterCount = 0;
    EXPECT_EQ(Found(Check({Fire(1, 1)}), TGoLevel::NoGo),
              (std::vector<std::string>{"Нет ни одного преобразователя USB-RS485."}));
}

// A spare may answer where a module missed a poll: its channels were never tested.
// Played from memory, every shot of a high-voltage module goes with the first one's charge.
TEST_F(GoNoGo, InAutonomousControlAHighVoltageModuleMayNeedOneChargeOnly)
{
    TestChannels(5);
    ASSERT_EQ(dynamic_cast<THVControl&>(*Module(5)).ClassifyChannel(1, 12.0, {}), kLinkOk);
    const auto chargeLines = [&](const std::vector<TScenarioCue>& cues) {
        std::vector<std::string> lines;
        for (const std::string& line : Found(Check(cues), TGoLevel::NoGo))
            if (line.starts_with("Высоковольтные"))
                lines.push_back(line);
        return lines;
    };
    const std::vector<TScenarioCue> two{Fire(5, 1, 1000), Fire(5, 2, 2000), Fire(5, 3, 3000)};
    facts.autonomous = true;
    EXPECT_EQ(chargeLines(two), (std::vector<std::string>{
                                    "Высоковольтные пульты с разными зарядами выстрелов: в "
                                    "автономном управлении каждый выстрел из памяти получит "
                                    "заряд первого, пульты: 5"}));
    EXPECT_TRUE(chargeLines({Fire(5, 1, 1000), Fire(5, 3, 2000)}).empty()) << "one charge";
    facts.from = 1500;
    EXPECT_TRUE(chargeLines({Fire(5, 2, 1000), Fire(5, 1, 2000), Fire(5, 3, 3000)}).empty())
        << "the shot before the start point is not played";
    facts.from = INT32_MIN;
    facts.autonomous = false;
    EXPECT_TRUE(chargeLines(two).empty()) << "in direct control each shot tells the next charge";
}

TEST_F(GoNoGo, AModuleThatMissedAPollIsNoGoUntilASearchReadsItAgain)
{
    TestChannels(1);
    TestChannels(5);
    const std::vector<TScenarioCue> cues{Fire(1, 1), Fire(5, 1)};
    ASSERT_TRUE(Check(cues).empty());
    field->WithDevice(1, [](TSimDevice& device) { device.Faults().silentFromNs = 0; });
    Module(1)->Poll();
    Module(5)->Poll();
    field->WithDevice(1, [](TSimDevice& device) { device.Faults().silentFromNs = kNeverNs; });
    const std::vector<TGoFinding> findings = Check(cues);
    ASSERT_FALSE(findings.empty());
    EXPECT_EQ(findings.front().found,
              "Модули не ответили на опрос после поиска (их могли заменить): 1");
    EXPECT_EQ(findings.front().todo,
              "Повторите поиск (F10), затем проверьте каналы и сценарий в пультах.");
    EXPECT_EQ(Found(Check({Fire(5, 1)}), TGoLevel::NoGo), std::vector<std::string>{})
        << "a module the show does not use";

    registry->AddOrRefresh(1, 0);
    EXPECT_EQ(Found(Check(cues), TGoLevel::NoGo), std::vector<std::string>{});
    EXPECT_EQ(Found(Check(cues), TGoLevel::Caution),
              std::vector<std::string>{"Каналы сценария, пульт 1: не проверен: 1"});
}

TEST_F(GoNoGo, InAutonomousControlEveryModulesMemoryMustHoldThisScenario)
{
    for (const int address : {1, 2, 5})
        TestChannels(address);
    ASSERT_EQ(Module(2)->SetTestMode(false), kLinkOk);
    facts.autonomous = true;
    const std::vector<TScenarioCue> show{Fire(1, 1), Fire(1, 3, 2000)};
    EXPECT_EQ(Found(Check(show), TGoLevel::NoGo), (std::vector<std::string>{stale + "1, 2, 5"}))
        << "never written in this run";
    ASSERT_EQ(Transfer().WriteScenario(show), 0);
    EXPECT_TRUE(Check(show).empty());
    // The same cues in another order are the same memory.
    EXPECT_TRUE(Check({Fire(1, 3, 2000), Fire(1, 1)}).empty());

    // Another show: module 1's memory holds the old one; 2 and 5 hold none, as it needs.
    const std::vector<TScenarioCue> other{Fire(1, 1), Fire(1, 3, 2500)};
    EXPECT_EQ(Found(Check(other), TGoLevel::NoGo), (std::vector<std::string>{stale + "1"}));
    EXPECT_NE(Transfer().VerifyScenario(other), 0);
    EXPECT_EQ(Found(Check(show), TGoLevel::NoGo), (std::vector<std::string>{stale + "1"}))
        << "a failed verify leaves nothing known";
    ASSERT_EQ(Transfer().VerifyScenario(show), 0);
    EXPECT_TRUE(Check(show).empty()) << "a verify that passes tells it again";
    ASSERT_EQ(Transfer().EraseScenario(), 0);
    EXPECT_EQ(Found(Check(show), TGoLevel::NoGo), (std::vector<std::string>{stale + "1"}));
    EXPECT_TRUE(Check({}).empty()) << "erased, every memory holds the empty show";
}


// The motor module's writes fill its list from the start and empty nothing: a shorter show
// written over a longer one leaves the longer one's last moves behind it, played in a
// stand-alone show as if they were this one's.
TEST_F(GoNoGo, InAutonomousControlNoMotorModuleHoldsMovesPastTheScenario)
{
    AddModule({.kind = TModuleKind::Motor, .address = 6, .channels = 4});
    AddModule({.kind = TModuleKind::Motor, .address = 7, .version = 0x160, .channels = 4});
    for (const int address : {6, 7})
        registry->AddOrRefresh(address, 0);
    const auto motorLines = [this](const std::vector<TScenarioCue>& cues) {
        std::vector<std::string> lines;
        for (const std::string& line : Found(Check(cues), TGoLevel::NoGo))
            if (line.starts_with("Моторные"))
                lines.push_back(line);
        return lines;
    };
    using TLines = std::vector<std::string>;
    const std::string holds = "Моторные модули хранят движения после конца сценария: ";
    const std::string mayHold = "Моторные модули, которые могут хранить движения после конца "
                                "сценария (память не удалялась и не проверялась): ";
    const std::vector<TScenarioCue> longShow{Fire(1, 1), Move(6, 1000), Move(6, 2000),
                                             Move(6, 3000)};
    const std::vector<TScenarioCue> shortShow{Fire(1, 1), Move(6, 1500)};

    EXPECT_TRUE(motorLines(longShow).empty()) << "direct control moves the motor from the PC";
    facts.autonomous = true;
    EXPECT_EQ(motorLines(longShow), TLines{mayHold + "6"})
        << "nothing known of its memory; module 7's firmware keeps no moves";
    ASSERT_EQ(Transfer().WriteScenario(longShow), 0);
    EXPECT_EQ(motorLines(longShow), TLines{mayHold + "6"}) << "the write says nothing past it";
    ASSERT_EQ(Transfer().VerifyScenario(longShow), 0);
    EXPECT_TRUE(motorLines(longShow).empty()) << "the verify found the list ending there";

    ASSERT_EQ(Transfer().WriteScenario(shortShow), 0);
    EXPECT_EQ(motorLines(shortShow), TLines{holds + "6"});
    EXPECT_EQ(motorLines({Fire(1, 1)}), TLines{holds + "6"}) << "a show without moves for it";
    EXPECT_EQ(Transfer().VerifyScenario(shortShow), 0) << "its moves are the show's";
    EXPECT_EQ(motorLines(shortShow), TLines{holds + "6"});
    const auto leftover = SimModuleAt(6).Memory().Read(4);
    ASSERT_TRUE(leftover.has_value());
    EXPECT_EQ((*leftover)[0] * 256 + (*leftover)[1], 20) << "the old move at 2 s is still there";

    // A new run knows nothing of the earlier writes; its verify reads the record past the
    // show's moves and finds the old one.
    registry = std::make_unique<TControls>(*port);
    for (const int address : {1, 2, 5, 6, 7})
        registry->AddOrRefresh(address, 0);
    EXPECT_EQ(motorLines(shortShow), TLines{mayHold + "6"});
    ASSERT_EQ(Transfer().VerifyScenario(shortShow), 0);
    EXPECT_EQ(motorLines(shortShow), TLines{holds + "6"});

    ASSERT_EQ(Transfer().EraseScenario(), 0);
    EXPECT_TRUE(motorLines(shortShow).empty()) << "erased, the list is empty";
    ASSERT_EQ(Transfer().WriteScenario(shortShow), 0);
    EXPECT_TRUE(motorLines(shortShow).empty()) << "written after the erase, it ends with the show";
    EXPECT_EQ(motorLines({}), TLines{holds + "6"});
    for (const TGoFinding& finding : Check(shortShow))
        EXPECT_FALSE(finding.found.starts_with("Память")) << finding.found;
}

// Every firing module plays what its memory holds when the show clock runs: a verify that
// read only the scenario's own records once called a module holding yesterday's show, or the
// cues the operator had since deleted, ready for a stand-alone show.
TEST_F(GoNoGo, AVerifyReadsTheRecordsTheScenarioLeavesEmpty)
{
    AddModule({.address = 7, .version = 0x147, .channels = 8});  // one time per channel
    registry->AddOrRefresh(7, 0);
    facts.autonomous = true;
    const auto newRun = [this] {
        registry = std::make_unique<TControls>(*port);
        for (const int address : {1, 2, 5, 7})
            registry->AddOrRefresh(address, 0);
    };
    ASSERT_EQ(Transfer().WriteScenario(std::vector{Fire(1, 1), Fire(2, 1), Fire(2, 2, 3000),
                                                   Fire(7, 1), Fire(7, 5, 3000)}),
              0);

    // The last cues of modules 2 and 7 deleted; only F9 run.
    newRun();
    const std::vector<TScenarioCue> shorter{Fire(1, 1), Fire(2, 1), Fire(7, 1)};
    EXPECT_EQ(Transfer().VerifyScenario(shorter), kResultMismatch);
    EXPECT_EQ(Transfer().VerifyEachModule(shorter), kResultMismatch);
    EXPECT_EQ(StaleLines(shorter), (std::vector<std::string>{stale + "2, 7"}));

    // Spare modules without a cue today, holding yesterday's show.
    newRun();
    const std::vector<TScenarioCue> today{Fire(1, 1)};
    EXPECT_EQ(Transfer().VerifyEachModule(today), kResultMismatch);
    EXPECT_EQ(StaleLines(today), (std::vector<std::string>{stale + "2, 7"}));

    // Written, the rest is empty and the same verify passes.
    ASSERT_EQ(Transfer().WriteScenario(today), 0);
    newRun();
    EXPECT_EQ(Transfer().VerifyEachModule(today), 0);
    EXPECT_TRUE(StaleLines(today).empty());
}

// The padding empties what an earlier, longer show left past the new one's records: when a
// padding write goes unanswered the write must not pass for done.
TEST_F(GoNoGo, AWriteWhosePaddingFailsLeavesTheMemoryUnknown)
{
    AddModule({.address = 7, .channels = 16, .records = 16});
    registry->AddOrRefresh(7, 0);
    facts.autonomous = true;
    ASSERT_EQ(Transfer().WriteScenario(std::vector{Fire(7, 1), Fire(7, 2, 2000),
                                                   Fire(7, 3, 3000)}),
              0);
    ASSERT_TRUE(Module(7)->memoryFingerprint.has_value());
    // Silent from the progress step after its one cue: every padding write goes unanswered.
    const auto silenceSeven = [this](int, int, bool&, int, int address) {
        if (address == 7)
            SimModuleAt(7).Faults().silentFromNs = 0;
    };
    const std::vector<TScenarioCue> shorter{Fire(7, 1)};
    EXPECT_EQ(TModuleTransfer(*registry, silenceSeven).WriteScenario(shorter), kLinkNoReply);
    EXPECT_FALSE(Module(7)->memoryFingerprint.has_value());
    const std::vector<std::string> lines = Found(Check(shorter), TGoLevel::NoGo);
    EXPECT_NE(std::find(lines.begin(), lines.end(),
                        "Память модулей не содержит этот сценарий (не записан или не проверен): 7"),
              lines.end());
}

TEST_F(GoNoGo, AVerifyOfEachModuleTellsEveryMemoryPastOneThatDiffers)
{
    facts.autonomous = true;
    const std::vector<TScenarioCue> show{Fire(1, 1), Fire(5, 2)};
    ASSERT_EQ(Transfer().WriteScenario(std::vector{Fire(1, 3), Fire(5, 2)}), 0);
    // A new run: nothing known of any memory.
    registry = std::make_unique<TControls>(*port);
    for (const int address : {1, 2, 5})
        registry->AddOrRefresh(address, 0);
    EXPECT_EQ(Transfer().VerifyScenario(show), kResultMismatch);
    EXPECT_EQ(StaleLines(show), (std::vector<std::string>{stale + "1, 2, 5"}))
        << "the verify ended at module 1";
    EXPECT_EQ(Transfer().VerifyEachModule(show), kResultMismatch);
    EXPECT_EQ(StaleLines(show), (std::vector<std::string>{stale + "1"}));
}

}  // namespace
}  // namespace kv::test
