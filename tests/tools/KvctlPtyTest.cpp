// kvctl over pseudo-terminals: the field served by kvfield, the converters named as device
// paths, the converter index being the position in the list.
#include "rigs/KvctlRun.h"
#include "rigs/KvfieldProcess.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>

namespace kv::test {
namespace {

bool Contains(const std::string& text, const std::string& part)
{
    return text.find(part) != std::string::npos;
}

// kvfield's help and usage errors in the console's language (Russian: no settings name one).
TEST(Kvfield, HelpAndUsageErrorsSpeakTheConsolesLanguage)
{
    const auto run = [](const std::string& args) {
        std::string out;
        if (std::FILE* pipe = popen((KVFIELD_PATH " " + args + " 2>&1").c_str(), "r")) {
            char buffer[4096];
            while (const size_t n = std::fread(buffer, 1, sizeof buffer, pipe))
                out.append(buffer, n);
            pclose(pipe);
        }
        return out;
    };
    const std::string help = run("--help");
    EXPECT_TRUE(help.starts_with("kvfield: модель установки")) << help;
    EXPECT_TRUE(Contains(help, "\nиспользование: kvfield [OPTIONS] FILE\n")) << help;
    EXPECT_EQ(run("a.ini b.ini"), "kvfield: лишние аргументы: b.ini\n"
                                  "использование: kvfield [OPTIONS] FILE\nсправка: kvfield --help\n");
}

TEST(KvctlOverTerminals, SearchesAndTestsThroughKvfield)
{
    TKvfieldProcess field(KVFIELD_PATH, KV_TOOLS_TEST_DIR "/kvctl-field.ini", 2,
                          false);
    const std::string first = field.paths.at(0);
    const std::string second = field.paths.at(1);
    ASSERT_FALSE(second.empty()) << first;

    // The lines in the order kvfield gave them, then swapped: the indices follow the list.
    auto result = RunKvctl({"--port", first + "," + second, "search", "--addresses=1,2,255"});
    EXPECT_EQ(result.status, 0) << result.err;
    EXPECT_EQ(Lines(result.out), (std::vector<std::string>{
                                     "1\t2\t46B\t8\t0\t0\tA\t0\t-",
                                     "2\t2\t36B\t8\t1\t-1\tA\t0\t-",
                                     "255\t7\t001\t0\t0\t-1\t-\t0\t77",
                                 }));
    result = RunKvctl({"--port", second + "," + first, "test", "2", "--addresses=2"});
    EXPECT_EQ(result.status, 0) << result.err;
    const auto lines = Lines(result.out);
    ASSERT_FALSE(lines.empty());
    EXPECT_EQ(lines[0], "Тест каналов, пульт: 2, каналов: 8, подключено: 7");
}

// The field outlives each kvctl run here: what mode and hv change is what the next run finds.
TEST(KvctlOverTerminals, ModeAndEnergyStayInTheModules)
{
    const std::string file = ScratchFolder() + "kvctl-service.ini";
    std::ofstream(file) << "[device1]\nKind=module\nAddress=2\nVersion=46B\nChannels=8\nMode=test\n"
                           "[device2]\nKind=hv\nAddress=20\nVersion=36B\nChannels=4\n";
    const std::string scenario = ScratchFolder() + "kvctl-service.txt";
    std::ofstream(scenario) << "0:01.00\t2\t1\n";
    TKvfieldProcess field(KVFIELD_PATH, file, 1, false);
    const std::string port = "--port=" + field.paths.at(0);
    ASSERT_FALSE(field.paths.at(0).empty());
    const std::string testMode = "СТОП: Модули в режиме теста: 2";
    const auto check = [&] { return RunKvctl({port, "gonogo", scenario, "--addresses=2"}).out; };
    EXPECT_TRUE(Contains(check(), testMode));

    auto result = RunKvctl({port, "mode", "fire", "--addresses=2,20"});
    EXPECT_EQ(result.status, 0) << result.err;
    EXPECT_EQ(result.out, "2\tfire\n20\tfire\n");
    EXPECT_FALSE(Contains(check(), testMode));
    EXPECT_EQ(RunKvctl({port, "mode", "test", "--addresses=2"}).out, "2\ttest\n");
    EXPECT_TRUE(Contains(check(), testMode));

    result = RunKvctl({port, "hv", "20", "--energy", "40", "--addresses=20"});
    EXPECT_EQ(result.status, 0) << result.err;
    EXPECT_EQ(result.out, "20\t40\n");
    EXPECT_EQ(RunKvctl({port, "hv", "20", "--addresses=20"}).out, "20\t40\n");
    // Not a high-voltage module, or none found: nothing to read or set.
    for (const std::string address : {"2", "5"}) {
        result = RunKvctl({port, "hv", address, "--energy", "7", "--addresses=2,5"});
        EXPECT_EQ(result.status, 1) << address;
        EXPECT_TRUE(result.out.empty()) << result.out;
    }
    result = RunKvctl({port, "mode", "fire", "--addresses=5"});
    EXPECT_EQ(result.status, 1) << "no module to switch";
    EXPECT_EQ(RunKvctl({port, "hv", "20", "--energy", "256"}).status, 2);
}

}  // namespace
}  // namespace kv::test
