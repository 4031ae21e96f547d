// The operator's procedures on the devices that the console's windows and kvctl share: the
// memory operation with its report and cancel, the black-box and channel files, the channel
// test, the address change and the checks before a write.
#include "rigs/DeviceFieldFixture.h"

#include "devices/registry/AddressChange.h"
#include "devices/memory/BlackBoxFile.h"
#include "devices/memory/BlackBoxRecord.h"
#include "devices/readiness/ChannelTest.h"
#include "devices/readiness/CheckedChannel.h"
#include "devices/readiness/ConnectedChannels.h"
#include "devices/memory/MemoryOperation.h"
#include "devices/memory/MemoryTexts.h"
#include "devices/memory/ScenarioChecks.h"
#include "field/devices/SimModule.h"
#include "link/Result.h"
#include "support/platform/FilePlaces.h"
#include "support/text/SavedFile.h"

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <sstream>

namespace kv::test {
namespace {

std::string ReadFile(const std::string& path)
{
    std::ifstream file(path, std::ios::binary);
    std::ostringstream bytes;
    bytes << file.rdbuf();
    return bytes.str();
}

class OperatorProcedures : public DeviceFieldFixture {
protected:
    void SetUp() override
    {
        // Five channels: four would make it a high-voltage module.
        AddModule({.address = 4, .version = 0x46B, .channels = 5,
                   .channelOhms = {8, kOpenOhms, 8, 0.001, 12}});
        AddModule({.address = 9, .version = 0x166, .channels = 2});
        Connect();
        first = &Registered<TCommonControl>(4);
        second = &Registered<TCommonControl>(9);
    }

    TCommonControl* first = nullptr;
    TCommonControl* second = nullptr;
};

TEST_F(OperatorProcedures, MemoryOperationReportsItsOutcomeAndStopsOnCancel)
{
    const std::vector<TScenarioCue> cues = {{.time = 1000, .module = 4, .channel = 0},
                                            {.time = 2000, .module = 4, .channel = 1},
                                            {.time = 3000, .module = 9, .channel = 1}};
    field->ClearRecord();
    TMemoryOperation operation(*registry);
    std::vector<std::string> labels;
    operation.OnStep = [&](int, const std::string& label) {
        labels.push_back(label);
        operation.cancelRequested = labels.size() == 2;
    };
    EXPECT_EQ(operation.Write(cues, false), -101);
    EXPECT_EQ(operation.ReportLine(), "Запись сценария в пульты... Операция прервана.");
    // The cancel is noticed at the step after the one it came in.
    EXPECT_EQ(labels, (std::vector<std::string>{"", "Пульт: 4, канал: 1", "Пульт: 4, канал: 2"}));
    ASSERT_FALSE(platform.shownMessages.empty());
    EXPECT_EQ(platform.shownMessages.back().text, "Операция прервана.");
    EXPECT_EQ(platform.shownMessages.back().caption, "Сообщение");
    // The module with firmware 0x166 was never reached.
    for (const TFrameEntry& frame : field->Frames())
        if (frame.origin == TFrameOrigin::Pc && frame.bytes.size() >= 6) {
            EXPECT_NE(frame.bytes[5], 9) << DescribeFrame(frame);
        }

    // A new operation starts uncancelled and ends with the final, empty label.
    operation.OnStep = [&](int, const std::string& label) { labels.push_back(label); };
    EXPECT_EQ(operation.Write(cues, false), 0);
    EXPECT_EQ(labels.back(), "");
    EXPECT_EQ(platform.shownMessages.back().text, "Операция успешно завершена");
    EXPECT_EQ(operation.Verify(cues, false), 0);
    EXPECT_EQ(operation.ReportLine(), "Проверка сценария в пультах... Успешно");
    // The registry's own handler is back once the operation is over.
    progress.clear();
    EXPECT_EQ(Transfer().EraseScenario(), kLinkOk);
    EXPECT_FALSE(progress.empty());
}

TEST_F(OperatorProcedures, StatusTextsCoverEveryResult)
{
    EXPECT_EQ(ResultText(0), "Успешно");
    EXPECT_EQ(ResultText(5), "Успешно");
    EXPECT_EQ(ResultText(-1), "Ошибка устройства.");
    EXPECT_EQ(ResultText(-2), "Ошибка передачи данных.");
    EXPECT_EQ(ResultText(-3), "Ошибка передачи данных (истекло время ожидания).");
    EXPECT_EQ(ResultText(-100), "Несовпадение сценария в пультах.");
    EXPECT_EQ(ResultText(-101), "Операция прервана.");
    // Not a device error: the firmware lacks the operation.
    EXPECT_EQ(ResultText(-10), "Операция не поддерживается данной версией пульта.");
    EXPECT_EQ(MemoryProgressLabel(0, -1, 12), "Пульт: 12");
    EXPECT_EQ(MemoryProgressLabel(0, 5, 12), "Пульт: 12, канал: 5");
    EXPECT_EQ(MemoryProgressLabel(-1, 5, 12), "");
}

TEST_F(OperatorProcedures, BlackBoxFileKeepsWhatTheModulesGaveAndNeverReplacesAFileByHalf)
{
    const std::string dir = testing::TempDir();
    EXPECT_EQ(BlackBoxFileName("log.DAT"), "log.DAT");
    EXPECT_EQ(BlackBoxFileName("log.dat"), "log.dat");
    EXPECT_EQ(BlackBoxFileName("log"), "log.DAT");
    EXPECT_EQ(BlackBoxFileName("log.txt"), "log.txt.DAT");

    // A cancelled save is no success (it was reported as one).
    TMemoryOperation operation(*registry);
    platform.fileNames.push_back(std::nullopt);
    EXPECT_EQ(operation.ReadBlackBoxToFile(), -101);
    EXPECT_EQ(operation.ReportLine(), "Чтение показаний \"черного ящика\"... Операция прервана.");

    // A silent module no longer costs the other's log (no file was written at all).
    field->WithDevice(9, [](TSimDevice& device) { device.Faults().silentFromNs = 0; });
    std::remove((dir + "box.DAT").c_str());
    platform.fileNames.push_back(dir + "box");
    EXPECT_EQ(operation.ReadBlackBoxToFile(), -3);
    const std::string saved = ReadFile(dir + "box.DAT");
    ASSERT_EQ(saved.size(), 4 + 2 * kBlackBoxRecordSize);
    EXPECT_EQ(saved[4 + kBlackBoxAddressOffset], 4);
    EXPECT_EQ(saved[4 + kBlackBoxRecordSize + kBlackBoxAddressOffset], 9);
    EXPECT_EQ(operation.ReportLine(),
              "Чтение показаний \"черного ящика\"... Ошибка передачи данных (истекло время ожидания).");

    // A file that cannot be written is the operator's error, not a success.
    std::vector<uint8_t> records(10, 7);
    EXPECT_FALSE(WriteBlackBoxFile(dir + "no-such-folder/box.DAT", records).empty());
    EXPECT_TRUE(WriteBlackBoxFile(dir + "box.DAT", records).empty());
    EXPECT_EQ(ReadFile(dir + "box.DAT"), std::string("\1\0\0\0", 4) + std::string(10, '\7'));
    // A writer that fails half-way leaves the file as it was, and nothing beside it.
    const std::string error = SaveFileWith(dir + "box.DAT", [](const std::string& temporary) {
        std::ofstream(temporary, std::ios::binary) << "half a file";
        return false;
    });
    EXPECT_NE(error.find(dir + "box.DAT"), std::string::npos) << error;
    EXPECT_EQ(ReadFile(dir + "box.DAT"), std::string("\1\0\0\0", 4) + std::string(10, '\7'));
    for (const auto& entry : std::filesystem::directory_iterator(dir))
        EXPECT_FALSE(entry.path().filename().string().starts_with("box.DAT."))
            << entry.path() << " left behind";
}

TEST_F(OperatorProcedures, ChannelTestClassifiesLogsAndStops)
{
    TChannelTest test(*registry);
    std::vector<int> measured;
    test.OnChannel = [&](TCommonControl& module, int channel) {
        measured.push_back(module.address * 100 + channel);
        test.stopRequested = module.address == 9;
    };
    EXPECT_FALSE(test.TestAll());  // stopped after the first channel of module 9
    EXPECT_EQ(measured, (std::vector<int>{400, 401, 402, 403, 404, 900}));
    EXPECT_EQ(first->ChannelState(0), kChannelConnected);
    EXPECT_EQ(first->ChannelState(1), kChannelOpen);
    EXPECT_EQ(first->ChannelState(3), kChannelFault);  // a short circuit
    EXPECT_EQ(ChannelTestLogLine(*first), "Тест каналов, пульт: 4, каналов: 5, подключено: 3");
    ASSERT_GE(platform.debugLines.size(), 2u);
    EXPECT_EQ(platform.debugLines[platform.debugLines.size() - 2],
              "Тест каналов, пульт: 4, каналов: 5, подключено: 3");

    // A module that does not answer ends its test with every channel in error.
    field->WithDevice(4, [](TSimDevice& device) { device.Faults().silentFromNs = 0; });
    test.OnChannel = nullptr;
    EXPECT_TRUE(test.TestModule(*first));
    EXPECT_EQ(first->CountChannelsInState(kChannelFault), 5);
    EXPECT_EQ(CheckedChannelLogLine(*registry, 4, 1),
              "Тест канала, пульт: 4, канал: 2, состояние: ошибка");
    EXPECT_EQ(CheckedChannelLogLine(*registry, 77, 0),
              "Тест канала, пульт: 77, канал: 1, состояние: неизвестно");
}

TEST_F(OperatorProcedures, ConnectedChannelsFileIsWindows1251WithCrLf)
{
    ASSERT_EQ(first->SetChannelState(0, kChannelConnected), kLinkOk);
    ASSERT_EQ(first->SetChannelState(2, kChannelConnected), kLinkOk);
    ASSERT_EQ(first->SetChannelState(3, kChannelOpen), kLinkOk);
    EXPECT_EQ(ConnectedChannelsLines(*registry),
              (std::vector<std::string>{"Пульт, ID=4", "Подключенных каналов: 2", "Канал № 1",
                                        "Канал № 3", "", "", "Пульт, ID=9",
                                        "Подключенных каналов: 0", "", ""}));
    EXPECT_EQ(ChannelsFileName("list.Txt"), "list.Txt");
    EXPECT_EQ(ChannelsFileName("list.dat"), "list.dat.txt");
    // The save dialog starts in the records folder, not wherever the program was started.
    SetRecordsFolder("/records/");
    EXPECT_EQ(ProposedChannelsFileName(), "/records/подключенные каналы");
    SetRecordsFolder({});

    const std::string path = testing::TempDir() + "channels.txt";
    ASSERT_TRUE(WriteConnectedChannelsFile(path, *registry).empty());
    const std::string bytes = ReadFile(path);
    EXPECT_TRUE(bytes.starts_with("\xCF\xF3\xEB\xFC\xF2, ID=4\r\n")) << bytes;  // "Пульт"
    EXPECT_TRUE(bytes.ends_with("0\r\n\r\n\r\n"));
}

TEST_F(OperatorProcedures, AddressChangeRefusesWhatTwoModulesWouldShare)
{
    EXPECT_FALSE(CanChangeAddress(*second));
    EXPECT_EQ(platform.shownMessages.back().text,
              "Данная версия пульта не поддерживает изменение номера.");
    EXPECT_EQ(platform.shownMessages.back().caption, "Предупреждение");
    ASSERT_TRUE(CanChangeAddress(*first));

    for (const std::string typed : {"257", "0", "240", "-4", "word", "9", ""}) {
        platform.shownMessages.clear();
        EXPECT_NE(ChangeModuleAddress(*registry, *port, *first, typed), 0) << typed;
        ASSERT_EQ(platform.shownMessages.size(), 1u) << typed;
        EXPECT_EQ(platform.shownMessages[0].text, "Ошибка изменения номера пульта.");
        EXPECT_EQ(first->address, 4);
    }
    EXPECT_EQ(ChangeModuleAddress(*registry, *port, *first, "12"), 0);
    EXPECT_EQ(first->address, 12);
    EXPECT_EQ(registry->FindByAddress(12), first);
}

TEST_F(OperatorProcedures, ChecksListMissingModulesEarlyCuesAndTimesMemoryCannotHold)
{
    // 6 553 499 once counted as fitting: kept rounded up, it is the empty time.
    const std::vector<TScenarioCue> cues = {
        {.time = 0, .module = 9}, {.time = 500, .module = 7}, {.time = -20, .module = 4},
        {.time = 10, .module = 300}, {.time = -5, .module = 7}, {.time = 700, .module = 4},
        {.time = 6553400, .module = 9}, {.time = 6553401, .module = 2},
        {.time = 6600000, .module = 12}};
    EXPECT_EQ(MissingModules(*registry, cues), (std::vector<int>{2, 7, 12, 300}));
    EXPECT_EQ(ModulesWithEarlyCues(*registry, cues), (std::vector<int>{4, 9}));
    EXPECT_EQ(ModulesWithCuesOutsideMemory(cues), (std::vector<int>{2, 4, 7, 12}));
    EXPECT_EQ(ModuleListText({4, 9, 12}), "4, 9, 12");
    EXPECT_EQ(ModuleListText({}), "");

    const std::vector<TScenarioWarning> beforeWrite = ScenarioWarnings(*registry, cues, true);
    ASSERT_EQ(beforeWrite.size(), 3u);
    EXPECT_EQ(beforeWrite[2].message,
              "В сценарии есть команды, время которых не помещается в память пультов...");
    EXPECT_EQ(beforeWrite[2].modules, (std::vector<int>{2, 4, 7, 12}));
    const std::vector<TScenarioWarning> beforeVerify = ScenarioWarnings(*registry, cues, false);
    ASSERT_EQ(beforeVerify.size(), 1u);
    EXPECT_EQ(beforeVerify[0].modules, (std::vector<int>{2, 7, 12, 300}));
    EXPECT_TRUE(ScenarioWarnings(*registry, std::vector{TScenarioCue{.time = 10, .module = 4}},
                                 true).empty());
}

}  // namespace
}  // namespace kv::test
