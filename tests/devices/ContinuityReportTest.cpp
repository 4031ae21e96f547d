// The continuity report before a show: what the last channel test means for the scenario.
#include "rigs/DeviceFieldFixture.h"

#include "devices/readiness/ChannelTest.h"
#include "devices/readiness/ContinuityReport.h"

namespace kv::test {
namespace {

using F = TContinuityFinding;

struct TExpectedChannel {
    int channel;  // one-based, as the operator reads it
    F finding;
};

void ExpectFindings(const std::vector<TChannelFinding>& findings,
                    const std::vector<TExpectedChannel>& expected, int address)
{
    ASSERT_EQ(findings.size(), expected.size()) << "module " << address;
    for (size_t i = 0; i < expected.size(); ++i) {
        EXPECT_EQ(findings[i].channel + 1, expected[i].channel) << "module " << address;
        EXPECT_EQ(findings[i].finding, expected[i].finding)
            << "module " << address << " channel " << expected[i].channel;
    }
}

TScenarioCue Fire(int module, int channel)
{
    return {.time = 1000, .module = module, .channel = channel - 1};
}

class ContinuityReport : public DeviceFieldFixture {
protected:
    void SetUp() override
    {
        AddModule({.address = 4, .version = 0x46B, .channels = 7,
                   .channelOhms = {8, kOpenOhms, 8, 0.001, 12, 55, 0.001}});
        AddModule({.address = 9, .version = 0x166, .channels = 2, .channelOhms = {8, kOpenOhms}});
        AddModule({.address = 12, .channels = 2, .channelOhms = {8, 8}});
        AddModule({.address = 15, .channels = 2, .channelOhms = {8, 8}});
        Connect();
        for (const int address : {4, 9, 12, 15})
            Registered<TCommonControl>(address);
        // Module 12 falls silent before the test, module 15 is never tested.
        field->WithDevice(12, [](TSimDevice& device) { device.Faults().silentFromNs = 0; });
        TChannelTest test(*registry);
        for (const int address : {4, 9, 12})
            test.TestModule(dynamic_cast<TCommonControl&>(*registry->FindByAddress(address)));
    }
};

TEST_F(ContinuityReport, ShowStoppersFirstThenUnusedConnectedChannelsShortsAndFaults)
{
    const std::vector<TScenarioCue> cues{
        Fire(4, 1), Fire(4, 2), Fire(4, 4), Fire(4, 6), Fire(4, 20), Fire(4, 2),
        Fire(9, 2), Fire(12, 1), Fire(15, 1), Fire(30, 3), Fire(30, 1),
        {.time = 2000, .module = 31, .kind = kKindLeft},  // a motor command checks no igniter
    };
    const TContinuityReport report = BuildContinuityReport(*registry, cues, {});

    std::vector<int> order;
    for (const TModuleContinuity& module : report.modules)
        order.push_back(module.address);
    EXPECT_EQ(order, (std::vector<int>{4, 9, 12, 30, 15}));
    ASSERT_EQ(report.modules.size(), 5u);
    EXPECT_EQ(report.ShowStoppers(), 4 + 1 + 1 + 2);

    const TModuleContinuity& four = report.modules[0];
    ExpectFindings(four.notReady,
                   {{20, F::NoSuchChannel}, {2, F::Open}, {4, F::Short}, {6, F::Fault}}, 4);
    EXPECT_EQ(four.connectedUnused, (std::vector<int>{2, 4}));  // channels 3 and 5
    ExpectFindings(four.faultsUnused, {{7, F::Short}}, 4);
    EXPECT_DOUBLE_EQ(four.notReady[3].ohms, 55.0);
    EXPECT_EQ(four.tested, 7);

    // Old firmware tells connected from open only.
    ExpectFindings(report.modules[1].notReady, {{2, F::Open}}, 9);
    EXPECT_EQ(report.modules[1].connectedUnused, (std::vector<int>{0}));
    // A failed measurement is no short circuit, though both leave the channel red.
    ExpectFindings(report.modules[2].notReady, {{1, F::NoAnswer}}, 12);
    EXPECT_TRUE(report.modules[2].faultsUnused.empty());
    EXPECT_FALSE(report.modules[3].present);
    ExpectFindings(report.modules[3].notReady, {{1, F::ModuleAbsent}, {3, F::ModuleAbsent}}, 30);
    // Untested is no show-stopper, but it is not cleared either.
    ExpectFindings(report.modules[4].notReady, {{1, F::Untested}}, 15);
    EXPECT_EQ(report.modules[4].ShowStoppers(), 0);

    const std::vector<std::string> lines = ContinuityReportLines(report);
    ASSERT_GE(lines.size(), 4u);
    EXPECT_EQ(report.Untested(), 1);
    EXPECT_EQ(lines[0], "Каналов сценария, которые не сработают: 8, не проверено: 1");
    EXPECT_EQ(lines[1], "Пульт, ID=4, каналов: 7, проверено: 7");
    EXPECT_EQ(lines[2], "    В сценарии, не подключены: нет такого канала: 20; неподключен: 2; "
                        "короткое замыкание: 4 (0.0 Ом); ошибка: 6 (55.0 Ом)");
    EXPECT_EQ(lines[3], "    Подключены, не в сценарии: 3, 5");
    EXPECT_EQ(lines[4], "    Замыкания и ошибки вне сценария: короткое замыкание: 7 (0.0 Ом)");
    ASSERT_GE(lines.size(), 12u);
    EXPECT_EQ(lines[10], "Пульт, ID=30");
    EXPECT_EQ(lines[11], "    В сценарии, не подключены: пульт не найден: 1, 3");
}

}  // namespace
}  // namespace kv::test
