// kvctl's command-line contract against the simulated field, run as operators' scripts run
// it: arguments in, stdout, stderr and the exit status out.
#include "rigs/KvctlRun.h"

#include <gtest/gtest.h>

#include <sys/wait.h>

#include <algorithm>
#include <cctype>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <set>
#include <tuple>

namespace kv::test {
namespace {

const std::string kField = "--port=sim:" KV_TOOLS_TEST_DIR "/kvctl-field.ini";
const std::string kShow = KV_TOOLS_TEST_DIR "/kvctl-show.txt";
const std::string kAddresses = "--addresses=0-3,20";

std::string TempFile(const std::string& name, const std::string& text)
{
    const std::string path = ScratchFolder() + name;
    std::ofstream(path, std::ios::binary) << text;
    return path;
}

// Settings that name English: the texts of the docs and of the cases below.
std::vector<std::string> InEnglish(std::vector<std::string> args)
{
    args.insert(args.begin(), {"--settings", TempFile("kvctl-en.ini", "[console]\nLanguage=en\n")});
    return args;
}

bool Contains(const std::string& text, const std::string& part)
{
    return text.find(part) != std::string::npos;
}

// The block the console logs when a show starts in automatic firing and direct control; on
// the simulated field every show is a rehearsal, never a real show's record.
std::vector<std::string> StartBlock(const std::string& length, const std::string& tempo,
                                    const std::string& offset, const std::string& from)
{
    return {"Запуск проекта",
            "Репетиция: пуск на модели найденной установки, реальная шина отключена",
            "Проект: " + length, "Режимы: автомат, прямое управление",
            "Темп: " + tempo + "%, смещение: " + offset + " ms", "Точка запуска: " + from};
}

// The lines from the start block's end on; the block itself must open the output.
std::vector<std::string> AfterStartBlock(const std::vector<std::string>& lines,
                                         const std::vector<std::string>& block)
{
    const size_t n = std::min(lines.size(), block.size());
    EXPECT_EQ(std::vector<std::string>(lines.begin(), lines.begin() + static_cast<long>(n)), block);
    return std::vector<std::string>(lines.begin() + static_cast<long>(n), lines.end());
}

TEST(KvctlUsage, FrameGivesTheWireBytesAndBadInputGivesUsage)
{
    auto result = RunKvctl({"frame", "85", "0", "0", "0", "0", "1"});
    EXPECT_EQ(result.status, 0);
    EXPECT_EQ(result.out, "85 00 00 00 00 01 5F\n");
    result = RunKvctl({"frame", "0x90", "0X00", "00", "80", "0", "0"});
    EXPECT_EQ(result.out, "90 00 00 80 00 00 D3\n");

    // The reason, the command's own usage line and where its help is; a value out of range
    // is refused with the range.
    for (const auto& [args, command, reason] :
         std::vector<std::tuple<std::vector<std::string>, std::string, std::string>>{
             {{"frame", "85", "0", "0", "0", "0", "100"}, "frame", "100"},
             {{"frame", "85"}, "frame", ""},
             {{}, "", ""},
             {{"launch"}, "", "unknown command launch"},
             {{"--", "search"}, "", ""},
             {{"search", "--addresses", "5-2"}, "search", "0 to 255"},
             {{"search", "--addresses", "256"}, "search", "0 to 255"},
             {{"search", "--addresses"}, "search", ""},
             {{"scenario", "a.txt", "--remote"}, "scenario", "--remote"},
             {{"search", "--from", "5"}, "search", "--from"},
             {{"readdress", "1"}, "readdress", ""},
             {{"readdress", "1", "2", "3"}, "readdress", ""},
             {{"test", "1", "256"}, "test", "0 to 255"},
             {{"show", "a.txt", "--control", "sideways"}, "show", "sideways"},
             {{"show", "a.txt", "--yes=maybe"}, "show", "--yes"},
             // Per cent for per mille, seconds for milliseconds: refused, not played.
             {{"show", "a.txt", "--tempo", "100"}, "show", "500 to 2000 per mille, or 50% to 200%"},
             {{"show", "a.txt", "--tempo", "2001"}, "show", "500 to 2000"},
             {{"show", "a.txt", "--tempo", "201%"}, "show", "50% to 200%"},
             {{"show", "a.txt", "--from", "-1"}, "show", "0 to 2147483647"},
             {{"show", "a.txt", "--offset", "-600001"}, "show", "-600000 to 600000"},
             {{"show", "a.txt", "--tc-out-fps", "auto"}, "show", "auto"},
             {{"show", "a.txt", "b.txt"}, "show", ""},
             {{"show", "a.txt", "--scenario", "b.txt"}, "show", ""}}) {
        result = RunKvctl(InEnglish(args));
        EXPECT_EQ(result.status, 2) << testing::PrintToString(args);
        EXPECT_TRUE(result.out.empty());
        const std::string name = command.empty() ? "kvctl" : "kvctl " + command;
        const auto lines = Lines(result.err);
        ASSERT_EQ(lines.size(), 3u) << result.err;
        EXPECT_TRUE(lines[0].starts_with("kvctl: ") && Contains(lines[0], reason)) << lines[0];
        EXPECT_TRUE(lines[1].starts_with("usage: " + name + " [OPTIONS]")) << lines[1];
        EXPECT_EQ(lines[2], "see " + name + " --help");
    }
}

TEST(KvctlUsage, EveryCommandHasItsHelpAndTheVersionSaysWhereFilesAre)
{
    auto result = RunKvctl(InEnglish({"--help"}));
    EXPECT_EQ(result.status, 0);
    EXPECT_TRUE(result.err.empty());
    EXPECT_TRUE(Contains(result.out, "usage: kvctl [OPTIONS] COMMAND\n")) << result.out;
    for (const std::string code : {"  0  done", "  1  the operation failed", "  2  usage",
                                   "  3  the field could not be reached"})
        EXPECT_TRUE(Contains(result.out, "\n" + code)) << code;
    EXPECT_EQ(RunKvctl(InEnglish({"-h"})).out, result.out);
    EXPECT_EQ(RunKvctl(InEnglish({"help"})).out, result.out);
    const std::vector<std::string> commands = {"frame",  "scenario", "report", "import", "search",
                                               "show",   "write",    "verify", "erase",  "blackbox",
                                               "test",   "readdress", "gonogo"};
    for (const std::string& command : commands) {
        EXPECT_TRUE(Contains(result.out, "\n  " + command + " ")) << command;
        const auto own = RunKvctl(InEnglish({command, "--help"}));
        EXPECT_EQ(own.status, 0) << command;
        EXPECT_TRUE(Contains(own.out, "usage: kvctl " + command + " [OPTIONS]")) << own.out;
        EXPECT_EQ(RunKvctl(InEnglish({"help", command})).out, own.out) << command;
    }
    result = RunKvctl(InEnglish({"--version"}));
    EXPECT_EQ(result.status, 0);
    const auto lines = Lines(result.out);
    ASSERT_EQ(lines.size(), 4u) << result.out;
    EXPECT_TRUE(lines[0].starts_with("kvctl ")) << lines[0];
    EXPECT_TRUE(lines[1].starts_with("build: ")) << lines[1];
    // The places in the console's own words for them, as its about box names them.
    EXPECT_TRUE(lines[2].starts_with("Settings: /") && Contains(lines[2], "kvshow.ini")) << lines[2];
    EXPECT_TRUE(lines[3].starts_with("Logs and reports: /")) << lines[3];
}

// The reference operators read is held to what kvctl takes: a command or option added,
// renamed or dropped on one side only fails here.
TEST(KvctlUsage, TheDocsNameEveryCommandAndOptionOfTheHelpAndNoOther)
{
    const auto options = [](const std::string& text) {
        std::set<std::string> names;
        for (size_t at = text.find("--"); at != std::string::npos; at = text.find("--", at + 2)) {
            size_t end = at + 2;
            while (end < text.size() && (std::isalnum(static_cast<unsigned char>(text[end])) ||
                                         text[end] == '-'))
                ++end;
            if (end > at + 2 && std::isalpha(static_cast<unsigned char>(text[at + 2])))
                names.insert(text.substr(at, end - at));
            at = end - 2;
        }
        return names;
    };
    // From the usage on: the build's own commands come before it.
    const std::string page = ReadWholeFile(KV_TOOLS_TEST_DIR "/../../docs/kvctl.md");
    const std::string docs = page.substr(std::min(page.find("\n```\nkvctl ["), page.size()));
    ASSERT_FALSE(docs.empty());
    const std::string help = RunKvctl(InEnglish({"--help"})).out;
    std::string helps = help;
    const auto listed = help.find("Commands:\n");
    ASSERT_NE(listed, std::string::npos) << help;
    for (const std::string& line : Lines(help.substr(listed + 10))) {
        if (line.empty())
            break;
        if (line.size() < 3 || line[2] == ' ')
            continue;
        const std::string command = line.substr(2, line.find(' ', 2) - 2);
        if (command == "help")
            continue;
        EXPECT_TRUE(Contains(docs, "kvctl " + command + " ")) << command << " not in the docs";
        helps += RunKvctl(InEnglish({command, "--help"})).out;
    }
    EXPECT_EQ(options(docs), options(helps));
}

// The help and CLI11's own refusals speak the console's language, the option and the value
// named in them; one prefix.
TEST(KvctlUsage, HelpAndUsageErrorsSpeakTheConsolesLanguage)
{
    const auto russian = RunKvctl({"--help"});
    EXPECT_EQ(russian.status, 0);
    for (const std::string text : {"использование: kvctl [OPTIONS] COMMAND\n", "\nКоманды:\n",
                                   "\n  0  выполнено", "\n  -h,--help  "})
        EXPECT_TRUE(Contains(russian.out, text)) << text;
    const auto english = RunKvctl(InEnglish({"--help"}));
    for (const std::string text : {"usage: kvctl [OPTIONS] COMMAND\n", "\nCommands:\n",
                                   "\n  0  done", "\n  -h,--help  "})
        EXPECT_TRUE(Contains(english.out, text)) << text;
    EXPECT_EQ(Lines(russian.out).size(), Lines(english.out).size());

    const std::vector<std::string> tempo = {"show", "a.txt", "--tempo", "2001"};
    EXPECT_EQ(RunKvctl(tempo).err,
              "kvctl: --tempo: 2001 вне диапазона от 500 до 2000 промилле или от 50% до 200%\n"
              "использование: kvctl show [OPTIONS] FILE\nсправка: kvctl show --help\n");
    EXPECT_EQ(RunKvctl(InEnglish(tempo)).err,
              "kvctl: --tempo: 2001 is outside 500 to 2000 per mille, or 50% to 200%\n"
              "usage: kvctl show [OPTIONS] FILE\nsee kvctl show --help\n");
    const std::vector<std::string> extras = {"search", "--from", "5", "--json"};
    EXPECT_TRUE(RunKvctl(extras).err.starts_with("kvctl: лишние аргументы: --from 5\n"));
    EXPECT_TRUE(RunKvctl(InEnglish(extras)).err.starts_with("kvctl: not expected: --from 5\n"));
    EXPECT_TRUE(RunKvctl({"show", "a.txt", "--yes=maybe"})
                    .err.starts_with("kvctl: --yes: значение не подходит: maybe\n"));
}

TEST(KvctlUsage, BashCompletesCommandsAndOptionsFromTheHelp)
{
    const auto complete = [](const std::string& words) {
        const std::string script = TempFile(
            "complete.sh", "source " KV_TOOLS_TEST_DIR "/../../share/completion/kvctl.bash\n"
                           "COMP_WORDS=(" KVCTL_PATH " " + words + ")\n"
                           "COMP_CWORD=$((${#COMP_WORDS[@]} - 1))\n_kvctl\necho \"${COMPREPLY[*]}\"\n");
        std::string out;
        if (std::FILE* pipe = popen(("bash " + script).c_str(), "r")) {
            char buffer[4096];
            while (const size_t n = std::fread(buffer, 1, sizeof buffer, pipe))
                out.append(buffer, n);
            pclose(pipe);
        }
        return out;
    };
    EXPECT_EQ(complete("se"), "search\n");
    EXPECT_EQ(complete("--port sim:field.ini --yes sh"), "show\n");
    EXPECT_EQ(complete("show a.txt --tc-out"), "--tc-out --tc-out-fps --tc-out-zero\n");
    EXPECT_EQ(complete("mode f"), "fire\n");
}

TEST(KvctlScenario, ListsTheSortedCuesOrReportsTheBadLine)
{
    const std::string good =
        TempFile("kvctl-good.txt", "0:02.00\t1\t3\tlate\n0:01.50\t7\t4\n0:01.50\t2\t1\n");
    auto result = RunKvctl({"scenario", good});
    EXPECT_EQ(result.status, 0) << result.err;
    EXPECT_EQ(Lines(result.out),
              (std::vector<std::string>{"1500\t7\t3\t0\t0\t0\t0:01.50\t",
                                        "1500\t2\t0\t0\t0\t0\t0:01.50\t",
                                        "2000\t1\t2\t0\t0\t0\t0:02.00\tlate"}));
    EXPECT_EQ(RunKvctl({"scenario", "--scenario", good}).out, result.out) << "the alias";

    const std::string bad = TempFile("kvctl-bad.txt", "0:01\t1\t1\n\n0:02\t1\tnine\n");
    result = RunKvctl({"scenario", bad});
    EXPECT_EQ(result.status, 1);
    EXPECT_TRUE(result.out.empty());
    EXPECT_EQ(result.err, bad + ":3: Ошибка загрузки сценария (строка: 3).\n");
    // In the console's language when its settings name one.
    result = RunKvctl(InEnglish({"scenario", bad}));
    EXPECT_EQ(result.err, bad + ":3: The scenario failed to load (line: 3).\n");

    result = RunKvctl({"scenario", ScratchFolder() + "no-such-scenario.txt"});
    EXPECT_EQ(result.status, 1);
    EXPECT_TRUE(result.out.empty());
}

TEST(KvctlImport, WritesTheScenarioThatListsTheImportedCues)
{
    const std::string script = TempFile("import-plain.csv",
                                        "Time;Module;Pin;Prefire;Effect;Position\r\n"
                                        "2,5;3;4;0,5;Red peony;Front\r\n"
                                        "1;$0A;1;;Comet;Back\r\n"
                                        "1;$0A;1;;Comet tail;Back\r\n");
    const std::string scenario = ScratchFolder() + "imported.txt";
    auto result = RunKvctl({"import", script, "--out", scenario});
    EXPECT_EQ(result.status, 0) << result.err;
    EXPECT_EQ(result.err, "");
    EXPECT_EQ(result.out, "plain: 2 cues, 0 rows refused\n");
    EXPECT_EQ(ReadWholeFile(scenario), "0:01.000\t10\t1\t|0:01.000|Back|Comet + Comet tail\r\n"
                                       "0:02.000\t3\t4\t|0:02.500|Front|Red peony\r\n");
    result = RunKvctl({"scenario", scenario});
    EXPECT_EQ(result.status, 0) << result.err;
    EXPECT_EQ(Lines(result.out),
              (std::vector<std::string>{"1000\t10\t0\t0\t0\t0\t0:01.000\t|0:01.000|Back|Comet + Comet tail",
                                        "2000\t3\t3\t0\t0\t0\t0:02.000\t|0:02.500|Front|Red peony"}));
}

TEST(KvctlImport, RefusedRowsGoToStderrAndNothingIsWrittenUnlessPartial)
{
    const std::string script = TempFile("import-refused.csv",
                                        "Time,Module,Pin\n"
                                        "1,1,1\n"
                                        "later,1,2\n"
                                        "2,300,1\n"
                                        "3,1,1\n");
    const std::string scenario = ScratchFolder() + "refused.txt";
    auto result = RunKvctl({"import", script, "--out", scenario});
    EXPECT_EQ(result.status, 1);
    EXPECT_EQ(result.out, "");
    // FILE:LINE: as every bad input file is told (it was "line N:", without the file).
    EXPECT_EQ(Lines(result.err),
              (std::vector<std::string>{
                  script + ":2: канал модуля срабатывает в разные моменты, строки: 2, 5",
                  script + ":3: неверное время: \"later\"",
                  script + ":4: неверный номер модуля (1-239): \"300\"",
                  script + ":5: канал модуля срабатывает в разные моменты, строки: 2, 5"}));
    EXPECT_FALSE(std::ifstream(scenario).good());

    // Nothing left to write is a failure even when partial.
    result = RunKvctl({"import", script, "--out", scenario, "--partial"});
    EXPECT_EQ(result.status, 1);
    EXPECT_EQ(Lines(result.err).size(), 4u);
    EXPECT_FALSE(std::ifstream(scenario).good());

    const std::string mixed = TempFile("import-mixed.csv", "Time,Module,Pin\n1,1,1\nlater,1,2\n");
    result = RunKvctl({"import", mixed, "--out", scenario, "--partial"});
    EXPECT_EQ(result.status, 0) << result.err;
    EXPECT_EQ(result.err, mixed + ":3: неверное время: \"later\"\n");
    EXPECT_EQ(ReadWholeFile(scenario), "0:01.000\t1\t1\t|0:01.000||\r\n");
}

TEST(KvctlImport, LayoutRailSizeAndFrameRateComeFromTheOptions)
{
    const std::string frames = TempFile("import-frames.csv",
                                        "Cue,HH,MM,SS,FF,Event Description,PFT,ADDR,POS\r\n"
                                        "1,0,0,10,15,Salute,500,$0A3,P1\r\n");
    const std::string scenario = ScratchFolder() + "frames.txt";
    auto result = RunKvctl({"import", frames, "--out", scenario});
    EXPECT_EQ(result.status, 1);
    EXPECT_TRUE(Contains(result.err, "Не задана частота кадров.")) << result.err;
    result = RunKvctl({"import", frames, "--out=" + scenario, "--fps", "25"});
    EXPECT_EQ(result.status, 0) << result.err;
    EXPECT_EQ(ReadWholeFile(scenario), "0:10.100\t10\t4\t|0:10.600|P1|Salute\r\n");
    // 29.97 labels count non-drop unless named drop-frame.
    const std::string ntsc = TempFile("import-ntsc.csv", "Cue,HH,MM,SS,FF,PFT,ADDR\r\n"
                                                         "1,0,30,0,0,0,$011\r\n");
    result = RunKvctl({"import", ntsc, "--out", scenario, "--fps", "29.97"});
    EXPECT_EQ(result.status, 0) << result.err;
    EXPECT_EQ(ReadWholeFile(scenario), "30:01.802\t1\t2\t|30:01.802||\r\n");
    result = RunKvctl({"import", ntsc, "--out", scenario, "--fps", "29.97df"});
    EXPECT_EQ(result.status, 0) << result.err;
    EXPECT_EQ(ReadWholeFile(scenario), "29:59.998\t1\t2\t|29:59.998||\r\n");

    const std::string rails = TempFile("import-rails.csv",
                                       "Module ID,Rail,Channel,Time\r\n7,3,2,1500\r\n");
    result = RunKvctl({"import", rails, "--out", scenario, "--rail-size", "8"});
    EXPECT_EQ(result.status, 0) << result.err;
    EXPECT_EQ(ReadWholeFile(scenario), "0:01.500\t7\t18\t|0:01.500||\r\n");
    // The same file read as a plain script: its time in seconds.
    result = RunKvctl({"import", rails, "--out", scenario, "--rail-size", "8", "--format", "plain"});
    EXPECT_EQ(result.status, 0) << result.err;
    EXPECT_EQ(ReadWholeFile(scenario), "25:00.000\t7\t18\t|25:00.000||\r\n");

    for (const auto& args : std::vector<std::vector<std::string>>{
             {"import", rails},
             {"import", rails, "--out", scenario, "--format", "excel"},
             {"import", rails, "--out", scenario, "--fps", "0"},
             {"import", rails, "--out", scenario, "--rail-size", "0"},
             {"import", "--out", scenario}}) {
        result = RunKvctl(args);
        EXPECT_EQ(result.status, 2) << testing::PrintToString(args);
        EXPECT_TRUE(Contains(result.err, "использование: kvctl")) << result.err;
    }
}

TEST(KvctlImport, UnreadableInputOrOutputFails)
{
    const std::string scenario = ScratchFolder() + "never.txt";
    auto result = RunKvctl({"import", ScratchFolder() + "no-such.csv", "--out", scenario});
    EXPECT_EQ(result.status, 1);
    EXPECT_TRUE(Contains(result.err, "no-such.csv")) << result.err;

    const std::string unknown = TempFile("import-unknown.csv", "When,Where\r\n1,2\r\n");
    result = RunKvctl({"import", unknown, "--out", scenario});
    EXPECT_EQ(result.status, 1);
    EXPECT_TRUE(Contains(result.err, "Формат файла не распознан.")) << result.err;
    EXPECT_FALSE(std::ifstream(scenario).good());

    const std::string good = TempFile("import-good.csv", "Time,Module,Pin\r\n1,1,1\r\n");
    result = RunKvctl({"import", good, "--out", ScratchFolder() + "no-folder/out.txt"});
    EXPECT_EQ(result.status, 1);
    EXPECT_TRUE(Contains(result.err, "no-folder/out.txt")) << result.err;
    EXPECT_EQ(result.out, "");
}

TEST(KvctlSearch, ListsTheDevicesByAddressWithTheirStation)
{
    const auto results = RunKvctlTogether(
        {{{kField, "search", "--addresses=255,20,0-3"}}, {{kField, "search", "--addresses=100-102"}}});
    auto result = results[0];
    EXPECT_EQ(result.status, 0) << result.err;
    EXPECT_EQ(Lines(result.out), (std::vector<std::string>{
                                     "0\t6\t146\t0\t0\t-1\t-\t0\t-",
                                     "1\t2\t46B\t8\t0\t0\tA\t0\t-",
                                     "2\t2\t36B\t8\t1\t-1\tA\t0\t-",
                                     "3\t2\t166\t8\t0\t-1\tA\t0\t-",
                                     "20\t3\t36B\t4\t0\t-1\tQ\t0\t-",
                                     "255\t7\t001\t0\t0\t-1\t-\t0\t77",
                                 }));

    result = results[1];
    EXPECT_EQ(result.status, 0);
    EXPECT_TRUE(result.out.empty());
}

TEST(KvctlShow, FiresTheShowLogsEveryLineAndTracesTheBus)
{
    // Module 20's channels were never measured: its cue goes at 1 V only once the operator
    // has gone on from the console's question. The show once started without it.
    const std::string trace = ScratchFolder() + "kvctl-trace.txt";
    const std::string refusedTrace = ScratchFolder() + "kvctl-trace-refused.txt";
    const auto results =
        RunKvctlTogether({{{kField, "show", kShow, kAddresses, "--trace", trace}, "y\n"},
                          {{kField, "show", kShow, kAddresses, "--trace", refusedTrace}}});
    const std::string question =
        "Предупреждение: Сопротивления каналов пультов высокого напряжения не измерены, заряд 1 "
        "В...\n20\n[y/N] ";
    for (const auto& asked : results)
        EXPECT_TRUE(Contains(asked.err, question)) << asked.err;
    EXPECT_EQ(results[1].status, 1);
    const auto refused = Lines(results[1].out);
    ASSERT_FALSE(refused.empty());
    EXPECT_EQ(refused.back(), "Запуск отменён: предупреждение перед запуском не принято");
    EXPECT_FALSE(Contains(results[1].out, "Запуск проекта")) << results[1].out;
    EXPECT_EQ(ReadWholeFile(refusedTrace).find(">\t84 "), std::string::npos)
        << "a fire frame went out";

    const auto& result = results[0];
    EXPECT_EQ(result.status, 0) << result.err;
    const auto lines =
        AfterStartBlock(Lines(result.out), StartBlock("0:00:02", "100.0", "0", "0:00:00"));
    const std::vector<std::string> fired = {
        "Запуск, пульт: 1, канал: 1", "Запуск, пульт: 2, канал: 1", "Запуск, пульт: 1, канал: 2",
        "Запуск, пульт: 20, канал: 1", "Запуск, пульт: 2, канал: 2", "Остановка проекта"};
    ASSERT_GE(lines.size(), fired.size() + 5) << result.out;
    EXPECT_EQ(std::vector<std::string>(lines.begin(), lines.begin() + 6), fired);
    // Every fired channel is measured once; the igniters burnt through.
    EXPECT_EQ(lines[6], "Тест канала, пульт: 1, канал: 1, состояние: неподключен");
    EXPECT_EQ(lines.back(), "Тест канала, пульт: 2, канал: 2, состояние: неподключен");

    int sent = 0;
    int received = 0;
    std::set<std::string> fireFrames;  // repeats of one command count once
    for (const std::string& line : Lines(ReadWholeFile(trace))) {
        const size_t tab = line.find('\t');
        ASSERT_NE(tab, std::string::npos) << line;
        const std::string rest = line.substr(tab + 1);
        ASSERT_EQ(rest.size(), 2 + 17u) << line;
        sent += rest[0] == '>';
        received += rest[0] == '<';
        if (rest.starts_with(">\t84 "))
            fireFrames.insert(rest);
    }
    EXPECT_GT(received, 5);
    EXPECT_GT(sent, received);
    // Five shots and the high-voltage module's first charge.
    EXPECT_EQ(fireFrames.size(), 6u);
}

TEST(KvctlShow, TellsOtherStationsReadyThenRunning)
{
    // Status queries from station 33: one while the show command searches (about a second
    // for eight addresses), one while the show runs. The answer carries the launch state in its second byte.
    const std::string field = TempFile(
        "kvctl-status.ini",
        "[device1]\nKind=module\nAddress=1\nVersion=46B\nChannels=8\n"
        "[event1]\nAt=700\nType=status-query\nStationId=33\n"
        "[event2]\nAt=2500\nType=status-query\nStationId=33\n");
    const std::string trace = ScratchFolder() + "kvctl-status-trace.txt";
    const auto result =
        RunKvctl({"--port=sim:" + field, "show", kShow, "--addresses=1-8", "--trace", trace});
    // Modules 2 and 20 are not on this field: their cues fail the show.
    EXPECT_EQ(result.status, 1) << result.err;
    std::vector<std::string> answers;
    for (const std::string& line : Lines(ReadWholeFile(trace))) {
        const size_t tab = line.find('\t');
        if (line.substr(tab + 1).starts_with(">\t04 "))
            answers.push_back(line.substr(tab + 6, 5));
    }
    EXPECT_EQ(answers, (std::vector<std::string>{"01 00", "02 00"}));
}

TEST(KvctlShow, StartPointTempoAndOffsetDecideWhatFires)
{
    // From 1000 ms the cues at 500 ms are never fired; offset and tempo only shift the rest.
    // The tempo in per mille or, as the console shows it, in per cent.
    for (const auto& result : RunKvctlTogether(
             {{{kField, "--yes", "show", kShow, kAddresses, "--from", "1000", "--tempo", "1005",
                "--offset", "-300"}},
              {{kField, "--yes", "show", kShow, kAddresses, "--from", "1000", "--tempo=100.5%",
                "--offset", "-300"}}})) {
        EXPECT_EQ(result.status, 0) << result.err;
        const auto lines =
            AfterStartBlock(Lines(result.out), StartBlock("0:00:02", "100.5", "-300", "0:00:01"));
        ASSERT_GE(lines.size(), 4u) << result.out;
        EXPECT_EQ(std::vector<std::string>(lines.begin(), lines.begin() + 4),
                  (std::vector<std::string>{"Запуск, пульт: 1, канал: 2",
                                            "Запуск, пульт: 20, канал: 1",
                                            "Запуск, пульт: 2, канал: 2", "Остановка проекта"}));
    }
}

TEST(KvctlShow, ReportHoldsEveryCueAndAFileThatCannotBeWrittenFails)
{
    // Module 2 is left out of the search: its cue has no module to go to.
    const std::string report = ScratchFolder() + "kvctl-report.csv";
    const auto results = RunKvctlTogether(
        {{{kField, "--yes", "show", kShow, "--addresses=1,20", "--from", "1000", "--report",
           report}},
         {{kField, "show", kShow, "--addresses=1", "--report",
           ScratchFolder() + "no-such-folder/report.csv"}}});
    // The cue of the module left out failed the show; it once ended with status 0.
    EXPECT_EQ(results[0].status, 1) << results[0].err;
    std::vector<std::string> lines;
    for (std::string line : Lines(ReadWholeFile(report))) {
        EXPECT_TRUE(line.ends_with('\r')) << "CR LF ends every line";
        lines.push_back(line.substr(0, line.find('\r')));
    }
    ASSERT_EQ(lines.size(), 6u) << ReadWholeFile(report);
    // The effect and position of imported cues follow; these cues have none.
    EXPECT_EQ(lines[0], "cue,time_ms,module,channel,kind,outcome,sent_ms,lateness_ms,check,reason,effect,position");
    EXPECT_EQ(lines[1], "1,500,1,1,fire,missed,,,,before the start point,,");
    EXPECT_EQ(lines[2], "2,500,2,1,fire,missed,,,,before the start point,,");
    for (const auto& [line, head, check] :
         {std::tuple{lines[3], "3,1000,1,2,fire,fired,", ",open,,,"},
          std::tuple{lines[4], "4,1200,20,1,fire,fired,", ",connected,,,"}}) {
        ASSERT_TRUE(line.starts_with(head)) << line;
        EXPECT_TRUE(line.ends_with(check)) << line;
        // sent_ms and lateness_ms agree with the cue's time, and nothing went out early.
        int sent = -1;
        int lateness = -1;
        ASSERT_EQ(std::sscanf(line.c_str() + std::string(head).size(), "%d,%d", &sent, &lateness),
                  2)
            << line;
        EXPECT_EQ(sent - lateness, std::stoi(line.substr(2))) << line;
        EXPECT_GE(lateness, 0) << line;
    }
    EXPECT_EQ(lines[5], "5,2000,2,2,fire,missed,,,,module absent,,");
    // The figures of the file, as the report window shows them.
    auto result = RunKvctl({"report", report});
    EXPECT_EQ(result.status, 0) << result.err;
    const std::vector<std::string> figures = Lines(result.out);
    ASSERT_EQ(figures.size(), 12u) << result.out;
    EXPECT_EQ(figures[0], "Команд в сценарии: 5");
    EXPECT_EQ(figures[1], "Выполнено по времени: 2");
    EXPECT_EQ(figures[5], "Раньше времени: 0");
    EXPECT_EQ(figures[6], "Пропущено: 3");
    EXPECT_EQ(figures[7], "    пульт не найден: 1");
    EXPECT_EQ(figures[8], "    до точки запуска: 2");
    EXPECT_EQ(figures[9], "Проверка после выстрела:");
    EXPECT_EQ(figures[10], "    неподключен: 1");
    EXPECT_EQ(figures[11], "    подключен: 1");

    EXPECT_EQ(results[1].status, 1);
    EXPECT_TRUE(results[1].err.starts_with("kvctl: файл не записывается: ")) << results[1].err;
    result = RunKvctl({"report", ScratchFolder() + "no-such-folder/report.csv"});
    EXPECT_EQ(result.status, 1);
    EXPECT_TRUE(Contains(result.err, "Файл не открывается:")) << result.err;
}

// A bad report is named with its line, as a bad scenario or show script is.
TEST(KvctlReport, ABadFileIsToldAsFileLineReason)
{
    const std::string header =
        "cue,time_ms,module,channel,kind,outcome,sent_ms,lateness_ms,check,reason,effect,position\n";
    const std::string good = "1,1000,1,1,fire,fired,1012,12,connected,,,\n";
    for (const auto& [name, text, reason] :
         std::vector<std::tuple<std::string, std::string, std::string>>{
             {"kvctl-bad-line.csv", header + good + "2,2000,1,1,fire,exploded,,,,,,\n",
              ":3: Строка отчёта о пуске не читается\n"},
             {"kvctl-no-header.csv", "cue,time\n" + good, ":1: Нет заголовка отчёта о пуске\n"},
             {"kvctl-empty.csv", "", ":1: Нет заголовка отчёта о пуске\n"}}) {
        const std::string path = TempFile(name, text);
        const auto result = RunKvctl({"report", path});
        EXPECT_EQ(result.status, 1) << name;
        EXPECT_TRUE(result.out.empty()) << name;
        EXPECT_EQ(result.err, path + reason);
    }
    EXPECT_EQ(RunKvctl({"report", TempFile("kvctl-good.csv", header + good)}).status, 0);
}

TEST(KvctlShow, AutonomousControlBroadcastsTheTimeAndFiresNothing)
{
    const std::string trace = ScratchFolder() + "kvctl-autonomous.txt";
    const std::string report = ScratchFolder() + "kvctl-autonomous.csv";
    const auto result = RunKvctl({kField, "show", kShow, "--addresses=1", "--control=autonomous",
                                  "--trace", trace, "--report", report});
    // Three cues went nowhere: the show once ended with status 0 all the same.
    EXPECT_EQ(result.status, 1) << result.err;
    EXPECT_TRUE(Contains(result.out, "Команды сценария не выполнены: 3 (пульт не найден)\n"))
        << result.out;
    // The cues are logged as they pass; the modules fire from their own memory.
    EXPECT_TRUE(Contains(result.out, "Запуск, пульт: 1, канал: 1\n")) << result.out;
    int broadcasts = 0;
    for (const std::string& line : Lines(ReadWholeFile(trace))) {
        const std::string rest = line.substr(line.find('\t') + 1);
        EXPECT_FALSE(rest.starts_with(">\t84 ")) << line;
        broadcasts += rest.starts_with(">\t90 ");
    }
    EXPECT_GE(broadcasts, 3);  // the start, once a second, the stop
    // The report does not claim shots the PC never sent. It once counted the cues of modules 2
    // and 20, which this search never found, as fired from their memory too.
    const auto lines = Lines(ReadWholeFile(report));
    ASSERT_EQ(lines.size(), 6u);
    for (size_t i : {1, 3})
        EXPECT_TRUE(Contains(lines[i], ",fire,memory,,,")) << lines[i];
    for (size_t i : {2, 4, 5})
        EXPECT_TRUE(Contains(lines[i], ",fire,missed,,,,module absent")) << lines[i];
}

TEST(KvctlShow, RemoteStopAndOperatorStopEndTheShowEarly)
{
    const std::string longShow =
        TempFile("kvctl-long.txt", "0:01.00\t1\t1\n0:30.00\t1\t2\n");
    const std::string field = TempFile(
        "kvctl-remote-stop.ini",
        "[device1]\nKind=module\nAddress=1\nVersion=46B\nChannels=8\n"
        "[event1]\nAt=5000\nType=clock-stop\nTime=0\n");
    // The check comes about 3 s after kvctl starts. The operator's Ctrl+C follows its line;
    // the bus's stop comes at 5 s (at 3.5 s a busy machine had not checked yet).
    const std::string check = "Тест канала, пульт: 1, канал: 1";
    const auto results =
        RunKvctlTogether({{{"--port=sim:" + field, "show", longShow, "--addresses=1"}},
                          {{kField, "show", longShow, "--addresses=1"}, "", check}});
    auto result = results[0];
    EXPECT_EQ(result.status, 1);
    // The shot is checked in the long gap that follows it, while the show runs.
    const std::vector<std::string> shotAndCheck = {
        "Запуск, пульт: 1, канал: 1", "Тест канала, пульт: 1, канал: 1, состояние: неподключен",
        "Остановка проекта"};
    auto expected = shotAndCheck;
    expected.push_back("Получена внешняя команда остановки");
    const auto block = StartBlock("0:00:30", "100.0", "0", "0:00:00");
    EXPECT_EQ(AfterStartBlock(Lines(result.out), block), expected);

    result = results[1];
    EXPECT_EQ(result.status, 1);
    EXPECT_EQ(AfterStartBlock(Lines(result.out), block), shotAndCheck);
}

TEST(KvctlShow, EveryEndingSignalStopsTheShowAsCtrlCDoes)
{
    // A kill or a closed terminal used to end kvctl on the spot: no stop frames, the high
    // voltage left on, the modules' clocks running in autonomous control. Ctrl+\ did the
    // same; Ctrl+Z stopped kvctl with the show clock running on, and fg, five seconds later,
    // fired the cue at 4 s at once.
    const std::string longShow =
        TempFile("kvctl-signals.txt", "0:01.00\t1\t1\n0:04.00\t1\t2\n0:30.00\t1\t3\n");
    const std::string check = "Тест канала, пульт: 1, канал: 1";
    TKvctlCall suspend{{kField, "show", longShow, "--addresses=1"}, "", check, SIGTSTP};
    suspend.continueAfterMs = 5000;
    const auto results = RunKvctlTogether(
        {{{kField, "show", longShow, "--addresses=1"}, "", check, SIGTERM},
         {{kField, "show", longShow, "--addresses=1"}, "", check, SIGHUP},
         {{kField, "show", longShow, "--addresses=1"}, "", check, SIGQUIT},
         suspend});
    const auto block = StartBlock("0:00:30", "100.0", "0", "0:00:00");
    for (const auto& result : results) {
        EXPECT_EQ(result.status, 1) << "ended by the signal itself";
        EXPECT_EQ(AfterStartBlock(Lines(result.out), block),
                  (std::vector<std::string>{
                      "Запуск, пульт: 1, канал: 1",
                      "Тест канала, пульт: 1, канал: 1, состояние: неподключен",
                      "Остановка проекта"}));
    }
}

TEST(KvctlShow, AReaderThatGoesAwayDoesNotKillTheShow)
{
    // kvctl show | head: the next log line after head left used to kill kvctl (SIGPIPE)
    // in the middle of the show, before any stop frame.
    const std::string command = "bash -c '\"" KVCTL_PATH "\" " + kField + " --yes show " + kShow +
                                " --addresses=1,2,20 | head -n 6 >/dev/null; exit ${PIPESTATUS[0]}'";
    const int status = std::system(command.c_str());
    ASSERT_TRUE(WIFEXITED(status)) << command;
    EXPECT_EQ(WEXITSTATUS(status), 0) << "141: killed by the closed pipe";
}

TEST(KvctlShow, AStopDuringTheSearchStartsNothing)
{
    // The search of many addresses takes seconds. A stop heard on the bus in it, or the
    // operator's Ctrl+C, used to let the show start once the search was over.
    const std::string field = TempFile(
        "kvctl-early-stop.ini",
        "[device1]\nKind=module\nAddress=1\nVersion=46B\nChannels=8\n"
        "[event1]\nAt=500\nType=clock-stop\nTime=0\n");
    const std::string traces[] = {ScratchFolder() + "kvctl-early-stop.txt",
                                  ScratchFolder() + "kvctl-early-ctrl-c.txt"};
    TKvctlCall ctrlC{{kField, "show", kShow, "--addresses=1-40", "--trace", traces[1]}};
    ctrlC.interruptAfterMs = 1500;
    const auto results = RunKvctlTogether(
        {{{"--port=sim:" + field, "show", kShow, "--addresses=1-30", "--trace", traces[0]}}, ctrlC});
    for (size_t i = 0; i < 2; ++i) {
        const auto& result = results[i];
        EXPECT_EQ(result.status, 1) << i;
        const auto lines = Lines(result.out);
        ASSERT_FALSE(lines.empty()) << i;
        EXPECT_EQ(lines.back(), "Запуск отменён: остановка до начала шоу") << result.out;
        EXPECT_EQ(result.out.find("Запуск проекта"), std::string::npos) << result.out;
        EXPECT_EQ(ReadWholeFile(traces[i]).find(">\t84 "), std::string::npos)
            << "a fire frame went out";
    }
    EXPECT_NE(results[0].out.find("Получена внешняя команда остановки"), std::string::npos);
}

TEST(KvctlShow, ShotsThePortCouldNotSendFailTheShow)
{
    // The converter goes away after the search, before the only cue: the show used to end
    // with status 0 as if it had fired.
    const std::string show = TempFile("kvctl-unplug.txt", "0:03.00\t1\t1\n");
    const std::string field =
        TempFile("kvctl-unplug.ini",
                 "[device1]\nKind=module\nAddress=1\nVersion=46B\nChannels=8\n"
                 "[event1]\nAt=2000\nType=unplug\n");
    const auto result = RunKvctl({"--port=sim:" + field, "show", show, "--addresses=1"});
    // Every converter lost and never back: the field could not be reached (it was 1).
    EXPECT_EQ(result.status, 3) << result.out;
    EXPECT_NE(result.out.find("Команды запуска не ушли на линию (преобразователь потерян или нет "
                              "эха): 1"),
              std::string::npos)
        << result.out;
}

TEST(KvctlShow, ASoundtrackThatDoesNotLoadCallsTheShowOff)
{
    // The show once went on without its music, and ended with status 0.
    const std::string trace = ScratchFolder() + "kvctl-no-music.txt";
    const std::string music = ScratchFolder() + "no-such-music.ogg";
    const auto result =
        RunKvctl({kField, "show", kShow, kAddresses, "--soundtrack", music, "--trace", trace});
    EXPECT_EQ(result.status, 1);
    EXPECT_TRUE(Contains(result.err, "Ошибка загрузки фонограммы")) << result.err;
    EXPECT_EQ(Lines(result.out), std::vector<std::string>{
                                     "Запуск отменён: фонограмма не загружена: " + music});
    EXPECT_EQ(ReadWholeFile(trace).find(">\t84 "), std::string::npos) << "a fire frame went out";
}

// Ctrl+C in an autonomous show while the converter is lost: the stop does not go out and
// the modules play on from their memory. kvctl used to exit at once, and the stop it owed
// went out never. It stays while the stop is repeated: until the converter is back, the
// modules' memory has run out, or a second Ctrl+C; a stop never taken fails the run.
TEST(KvctlShow, AStopNotTakenKeepsKvctlUntilItGoesOrTheModulesMemoryRunsOut)
{
    const std::string module = "[device1]\nKind=module\nAddress=1\nVersion=46B\nChannels=8\n";
    const std::string unplug = "[event1]\nAt=4000\nType=unplug\n";
    const std::string fields[] = {
        TempFile("kvctl-owed-back.ini", module + unplug + "[event2]\nAt=8000\nType=plug\n"),
        TempFile("kvctl-owed-gone.ini", module + unplug)};
    const std::string longShow = TempFile("kvctl-owed-long.txt", "0:01.00\t1\t1\n0:40.00\t1\t2\n");
    const std::string shortShow = TempFile("kvctl-owed-short.txt", "0:01.00\t1\t1\n0:07.00\t1\t2\n");
    const std::string trace = ScratchFolder() + "kvctl-owed-back.txt";
    const std::string lost = "Шоу продолжается без преобразователя";
    const std::string waiting = "Команда остановки повторяется, пока модули могут играть из памяти";
    const std::string notDelivered =
        "Команда остановки не доставлена: её принял не каждый преобразователь";
    TKvctlCall secondCtrlC{{"--port=sim:" + fields[1], "show", longShow, "--addresses=1",
                            "--control=autonomous"},
                           "",
                           lost};
    secondCtrlC.interruptAgainOnOutput = waiting;
    const auto started = std::chrono::steady_clock::now();
    const auto results = RunKvctlTogether(
        {{{"--port=sim:" + fields[0], "show", longShow, "--addresses=1", "--control=autonomous",
           "--trace", trace},
          "",
          lost},
         {{"--port=sim:" + fields[1], "show", shortShow, "--addresses=1", "--control=autonomous"},
          "",
          lost},
         secondCtrlC});
    EXPECT_LT(std::chrono::steady_clock::now() - started, std::chrono::seconds(25))
        << "the second Ctrl+C did not end the wait";

    // The converter came back: the stop went, and to the line.
    EXPECT_EQ(results[0].status, 1) << "stopped by the operator";
    EXPECT_TRUE(Contains(results[0].out, waiting)) << results[0].out;
    EXPECT_TRUE(Contains(results[0].out, "Преобразователь вернулся: команда остановки отправлена снова"))
        << results[0].out;
    EXPECT_FALSE(Contains(results[0].out, notDelivered)) << results[0].out;
    const auto lines = Lines(ReadWholeFile(trace));
    const auto stop = std::find_if(lines.rbegin(), lines.rend(), [](const std::string& line) {
        const std::string rest = line.substr(line.find('\t') + 1);
        return rest.starts_with(">\t90 ") && rest.substr(11, 2) == "00";
    });
    ASSERT_NE(stop, lines.rend()) << "no stop frame went out";
    EXPECT_GE(std::stoi(*stop), 7500) << "the last went before the converter was back: " << *stop;

    // Never back: the wait ends with the modules' memory, or at the second Ctrl+C; the field
    // could not be reached any more (the status was 1).
    for (size_t i : {1, 2}) {
        EXPECT_EQ(results[i].status, 3) << i;
        EXPECT_TRUE(Contains(results[i].out, waiting)) << results[i].out;
        EXPECT_TRUE(Contains(results[i].out, notDelivered)) << results[i].out;
    }
}

TEST(KvctlShow, LockedPositionsArePassedOverAndAnUnknownOneStartsNothing)
{
    const std::string show = TempFile("kvctl-positions.txt", "0:00.50\t1\t1\t|0:00.50|Front|A\r\n"
                                                             "0:01.00\t2\t1\t|0:01.00|Back|B\r\n");
    const std::string report = ScratchFolder() + "kvctl-locked.csv";
    std::vector<std::string> traces;
    std::vector<TKvctlCall> calls;
    for (const auto& options : std::vector<std::vector<std::string>>{
             {"--lock", "Back", "--report", report}, {"--lock", "Bakc"},
             {"--lock", "Back", "--control=autonomous"}}) {
        traces.push_back(ScratchFolder() + "kvctl-locked-" + std::to_string(traces.size()));
        std::vector<std::string> args = {kField, "show", show, "--addresses=1,2", "--trace",
                                         traces.back()};
        args.insert(args.end(), options.begin(), options.end());
        calls.push_back({args});
    }
    const auto results = RunKvctlTogether(calls);
    EXPECT_EQ(results[0].status, 0) << results[0].out;
    EXPECT_TRUE(Contains(results[0].out, "Позиция заблокирована: Back\n")) << results[0].out;
    const auto lines = Lines(ReadWholeFile(report));
    ASSERT_EQ(lines.size(), 3u);
    EXPECT_TRUE(lines[1].starts_with("1,500,1,1,fire,fired,")) << lines[1];
    EXPECT_TRUE(lines[2].starts_with("2,1000,2,1,fire,missed,,,,position locked out,")) << lines[2];
    int fired = 0;  // the fire frame names its module in its last byte
    for (const std::string& line : Lines(ReadWholeFile(traces[0])))
        if (Contains(line, ">\t84 ")) {
            EXPECT_TRUE(line.ends_with(" 01")) << line;
            ++fired;
        }
    EXPECT_GT(fired, 0);
    // A typo must not leave the position it meant to fire; autonomous modules fire what
    // their memory holds, so nothing can be locked out there. Refused before the bus.
    EXPECT_EQ(results[1].status, 2);
    EXPECT_EQ(results[1].err, "kvctl: --lock: Bakc — нет такой позиции в " + show + "\n");
    EXPECT_EQ(results[2].status, 2);
    EXPECT_TRUE(Contains(results[2].err, "позицию заблокировать нельзя")) << results[2].err;
    for (size_t i : {1, 2}) {
        EXPECT_TRUE(results[i].out.empty()) << results[i].out;
        EXPECT_TRUE(ReadWholeFile(traces[i]).empty()) << "the bus was touched";
    }
}

TEST(KvctlLog, PrintsARunLogInUtf8)
{
    const std::string cp1251 = TempFile("kvctl-cp1251.log", "\xc7\xe0\xef\xf3\xf1\xea 1\r\n");
    const std::string utf8 = TempFile("kvctl-utf8.log", "Запуск 2\r\n");
    for (const auto& [file, text] : {std::pair{cp1251, "Запуск 1\r\n"}, std::pair{utf8, "Запуск 2\r\n"}}) {
        const auto result = RunKvctl({"log", file});
        EXPECT_EQ(result.status, 0);
        EXPECT_EQ(result.out, text);
    }
    const auto result = RunKvctl({"log", ScratchFolder() + "no-such.log"});
    EXPECT_EQ(result.status, 1);
    EXPECT_TRUE(Contains(result.err, "no-such.log")) << result.err;
}

TEST(KvctlMemory, ChecksAskFirstAndEndOfInputCancels)
{
    const std::string scenario =
        TempFile("kvctl-write.txt", "0:00.00\t2\t1\n0:01.00\t1\t2\n0:02.00\t9\t1\n");
    // A time no module memory holds.
    const std::string late = TempFile("kvctl-late.txt", "0:01.00\t2\t1\n1:50:00.00\t1\t2\n");
    const auto results = RunKvctlTogether({{{kField, "write", scenario, kAddresses}},
                                           {{kField, "write", scenario, kAddresses}, "y\ny\n"},
                                           {{kField, "write", scenario, kAddresses}, "y\nn\n"},
                                           {{kField, "write", scenario, kAddresses}, "y\n\n"},
                                           {{kField, "--yes", "verify", kShow, kAddresses}},
                                           // --yes=no once answered yes and erased.
                                           {{kField, "--yes=no", "erase", kAddresses}},
                                           {{kField, "--yes", "write", late, kAddresses}}});
    auto result = results[0];
    EXPECT_EQ(result.status, 1);
    EXPECT_TRUE(result.out.empty());
    EXPECT_TRUE(Contains(result.err, "В сценарии обнаружены неподключенные пульты...\n9\n"))
        << result.err;
    EXPECT_FALSE(Contains(result.err, "Сценарий может быть воспроизведен некорректно..."));

    result = results[1];
    EXPECT_EQ(result.status, 0) << result.err;
    EXPECT_TRUE(Contains(result.err, "Сценарий может быть воспроизведен некорректно...\n2\n"))
        << result.err;
    EXPECT_EQ(result.out, "Запись сценария в пульты... Успешно\n");

    result = results[2];
    EXPECT_EQ(result.status, 1);
    EXPECT_TRUE(result.out.empty());

    // An empty answer once went on (a stray Enter wrote); it is "No" now, as in the console.
    result = results[3];
    EXPECT_EQ(result.status, 1);
    EXPECT_TRUE(result.out.empty()) << result.out;

    // A verification asks about missing modules only.
    result = results[4];
    EXPECT_EQ(result.status, 1);
    EXPECT_EQ(result.out, "Проверка сценария в пультах... Несовпадение сценария в пультах.\n");
    EXPECT_FALSE(Contains(result.err, "некорректно"));

    result = results[5];
    EXPECT_EQ(result.status, 1);
    EXPECT_TRUE(Contains(result.err, "Вы действительно хотите удалить сценарий во всех пультах?"));
    EXPECT_TRUE(result.out.empty());

    // A time no module memory holds is named before the write, and the write refuses it.
    result = results[6];
    EXPECT_EQ(result.status, 1);
    EXPECT_TRUE(Contains(result.err,
                         "В сценарии есть команды, время которых не помещается в память пультов...\n1\n"))
        << result.err;
    EXPECT_EQ(result.out, "Запись сценария в пульты... Время команды вне диапазона памяти пульта.\n");
}

TEST(KvctlMemory, WritesVerifiesAndErasesInOneField)
{
    // The field lives for one kvctl run, so the whole sequence runs as one show of
    // operations: write then verify within each run.
    const auto results = RunKvctlTogether({{{kField, "--yes", "write", kShow, kAddresses}},
                                           {{kField, "--yes", "erase", kAddresses}}});
    auto result = results[0];
    EXPECT_EQ(result.status, 0) << result.err;
    EXPECT_EQ(result.out, "Запись сценария в пульты... Успешно\n");
    result = results[1];
    EXPECT_EQ(result.status, 0) << result.err;
    EXPECT_EQ(result.out, "Удаление сценария в пультах... Успешно\n");
}

TEST(KvctlMemory, RemoteControllerOfOldFirmwareIsToldEachStep)
{
    const std::string field = TempFile("kvctl-remote.ini",
                                       "[device1]\nKind=remote\nAddress=0\nVersion=145\n"
                                       "WriteMode=1\n");
    const std::string port = "--port=sim:" + field;
    const auto results = RunKvctlTogether(
        {{{port, "write", kShow, "--remote", "--addresses=0"}},
         {{port, "write", kShow, "--remote", "--addresses=0"}, "y\ny\n"},
         {{kField, "write", kShow, "--remote", "--addresses=0,1"}},
         {{port, "--yes", "verify", kShow, "--remote", "--addresses=5"}},
         {{kField, "--yes", "write", kShow, "--remote", "--addresses=0,1"}}});
    auto result = results[0];
    EXPECT_EQ(result.status, 1);
    EXPECT_TRUE(Contains(result.err, "Переведите ПДУР в режим записи и нажмите <ОК>."));
    EXPECT_EQ(result.out, "Запись сценария в ПДУ(Р)... Операция прервана.\n");

    result = results[1];
    EXPECT_EQ(result.status, 0) << result.err;
    EXPECT_TRUE(Contains(result.err, "Переведите ПДУР из режима записи и нажмите <ОК>."));
    EXPECT_FALSE(Contains(result.err, "Необходимо выключить подключенные пульты."));
    EXPECT_EQ(result.out, "Запись сценария в ПДУ(Р)... Успешно\n");

    // Modules on the bus would store the controller's cue frames: it once only said so and
    // wrote on. Now it asks as the console does, and without an answer writes nothing.
    result = results[2];
    EXPECT_EQ(result.status, 1) << result.err;
    EXPECT_TRUE(Contains(result.err, "Необходимо выключить подключенные пульты.\n"
                                     "Записать сценарий в ПДУ(Р)?"));
    EXPECT_EQ(result.out, "");
    // Newer firmware: erased first, no instructions.
    result = results[4];
    EXPECT_EQ(result.status, 0) << result.err;
    EXPECT_TRUE(Contains(result.err, "Необходимо выключить подключенные пульты."));
    EXPECT_FALSE(Contains(result.err, "Переведите ПДУР"));
    EXPECT_EQ(result.out, "Запись сценария в ПДУ(Р)... Успешно\n");

    // Without a controller on the bus there is nothing to write into.
    result = results[3];
    EXPECT_EQ(result.status, 1);
    EXPECT_EQ(result.out, "Проверка сценария в ПДУ(Р)... Ошибка устройства.\n");
}

TEST(KvctlMemory, BlackBoxFileTakesTheDatExtension)
{
    // 7937 exchanges a module: a fast line keeps the test short.
    const std::string field = TempFile("kvctl-fast.ini",
                                       "[field]\nBaud=1000000\nTurnaround=0\n"
                                       "[device1]\nKind=module\nAddress=1\nVersion=46B\n"
                                       "[device2]\nKind=module\nAddress=2\nVersion=36B\n"
                                       "[device3]\nKind=remote\nAddress=0\n");
    const std::string port = "--port=sim:" + field;
    const std::string named = ScratchFolder() + "kvctl-box";
    const std::string lower = ScratchFolder() + "kvctl-box2.dat";
    const auto results = RunKvctlTogether({{{port, "blackbox", named, "--addresses=1,2,0"}},
                                           {{port, "blackbox", "--out", lower, "--addresses=1"}}});
    const auto& result = results[0];
    EXPECT_EQ(result.status, 0) << result.err;
    EXPECT_EQ(result.out, "Чтение показаний \"черного ящика\"... Успешно\n");
    const std::string bytes = ReadWholeFile(named + ".DAT");
    ASSERT_EQ(bytes.size(), 4u + 2 * 31901);
    EXPECT_EQ(bytes.substr(0, 4), std::string("\1\0\0\0", 4));
    EXPECT_EQ(bytes[4], 1);          // first record: module 1
    EXPECT_EQ(bytes[4 + 31901], 2);  // then module 2, in registry order

    EXPECT_EQ(results[1].status, 0);
    EXPECT_EQ(ReadWholeFile(lower).size(), 4u + 31901);
}

TEST(KvctlTest, LogsEachModuleThenTheConnectedChannels)
{
    const auto result = RunKvctl({kField, "test", "2", "1", kAddresses});
    EXPECT_EQ(result.status, 0) << result.err;
    const auto lines = Lines(result.out);
    ASSERT_GE(lines.size(), 4u);
    EXPECT_EQ(lines[0], "Тест каналов, пульт: 2, каналов: 8, подключено: 7");
    EXPECT_EQ(lines[1], "Тест каналов, пульт: 1, каналов: 8, подключено: 7");
    // The list covers every registered module, tested or not, in registry order.
    const std::vector<std::string> list(lines.begin() + 2, lines.end());
    std::vector<std::string> expected = {"Пульт, ID=1", "Подключенных каналов: 7"};
    for (int channel : {1, 2, 4, 5, 6, 7, 8})
        expected.push_back("Канал № " + std::to_string(channel));
    expected.insert(expected.end(), {"", "", "Пульт, ID=2", "Подключенных каналов: 7"});
    for (int channel = 1; channel <= 7; ++channel)
        expected.push_back("Канал № " + std::to_string(channel));
    expected.insert(expected.end(), {"", "", "Пульт, ID=3", "Подключенных каналов: 0", "", "",
                                     "Пульт, ID=20", "Подключенных каналов: 0", "", ""});
    EXPECT_EQ(list, expected);
}

TEST(KvctlTest, WithAScenarioTheContinuityReportFollowsAndFailsOnShowStoppers)
{
    const std::string scenario =
        TempFile("kvctl-continuity.txt", "0:01.00\t1\t3\n0:01.00\t2\t1\n0:02.00\t3\t1\n"
                                         "0:03.00\t9\t1\n");
    const std::string ready = TempFile("kvctl-ready.txt", "0:01.00\t1\t1\n0:02.00\t2\t2\n");
    const auto results =
        RunKvctlTogether({{{kField, "test", "1", "2", kAddresses, "--scenario", scenario}},
                          {{kField, "test", "1", "2", kAddresses, "--scenario", ready}}});
    const TKvctlResult& result = results[0];
    EXPECT_EQ(result.status, 1) << "channel 3 of module 1 is open, module 9 is missing";
    std::vector<std::string> lines = Lines(result.out);
    const auto first = std::find(lines.begin(), lines.end(),
                                 "Каналов сценария, которые не сработают: 2, не проверено: 1");
    ASSERT_NE(first, lines.end()) << result.out;
    EXPECT_EQ(std::vector<std::string>(first + 1, lines.end()),
              (std::vector<std::string>{"Пульт, ID=1, каналов: 8, проверено: 8",
                                        "    В сценарии, не подключены: неподключен: 3",
                                        "    Подключены, не в сценарии: 1, 2, 4-8",
                                        "Пульт, ID=9",
                                        "    В сценарии, не подключены: пульт не найден: 1",
                                        "Пульт, ID=2, каналов: 8, проверено: 8",
                                        "    Подключены, не в сценарии: 2-7",
                                        "Пульт, ID=3, каналов: 8, проверено: 0",
                                        "    В сценарии, не подключены: не проверен: 1",
                                        "Пульт, ID=20, каналов: 4, проверено: 0"}));
    EXPECT_EQ(results[1].status, 0) << results[1].out;
}

TEST(KvctlTest, ThresholdsComeFromTheSettingsFile)
{
    // 8 ohms is a connected igniter by default, a fault once 5 ohms is the upper limit.
    const std::string settings = TempFile("kvctl-kvshow.ini", "[settings]\nConnectResist=5\n");
    const auto result =
        RunKvctl({kField, "--settings", settings, "test", "1", "--addresses=1"});
    EXPECT_EQ(result.status, 0) << result.err;
    ASSERT_FALSE(result.out.empty());
    EXPECT_EQ(Lines(result.out)[0], "Тест каналов, пульт: 1, каналов: 8, подключено: 0");
}

TEST(KvctlExitStatus, NoConverterIsThreeNotAnEmptyAnswer)
{
    // A search, test or check on no bus ended with status 0 and nothing found, so
    // "kvctl test && kvctl show" went on; it is status 3 now, before any command runs.
    const std::string path = ScratchFolder() + "no-such-tty";
    const std::string show = TempFile("kvctl-nofield.txt", "0:01.00\t1\t1\n");
    std::vector<TKvctlCall> calls;
    for (const std::vector<std::string>& command :
         {std::vector<std::string>{"search", "--addresses=0-5,255"}, {"test"}, {"gonogo", show},
          {"--yes", "show", show}}) {
        std::vector<std::string> args = {"--port", path};
        args.insert(args.end(), command.begin(), command.end());
        calls.push_back({args});
    }
    // Only where no converter is plugged in: auto would find it.
    const bool anyConverter = std::filesystem::exists("/dev/serial/by-id");
    if (!anyConverter)
        for (const std::string command : {"search", "test"})
            calls.push_back({{"--port", "auto", command}});
    const std::string told = "kvctl: Преобразователь не открыт: " + path + ": No such file or directory\n";
    for (const auto& result : RunKvctlTogether(calls)) {
        EXPECT_EQ(result.status, 3) << result.err;
        EXPECT_TRUE(result.out.empty()) << result.out;
        EXPECT_TRUE(Contains(result.err, "kvctl: Ошибка преобразователя\n")) << result.err;
        EXPECT_EQ(result.err.find(told), result.err.rfind(told)) << "once, though the port reopens";
    }
    EXPECT_TRUE(Contains(RunKvctl(calls[0].args).err, told));
}

TEST(KvctlReaddress, RefusesWhatWouldPutTwoModulesOnOneAddress)
{
    struct TCase {
        std::string old;
        std::string typed;
        std::string message;
    };
    const std::vector<TCase> refused = {
        {"1", "257", "Ошибка изменения номера пульта."},  // not taken as 1
        {"1", "0", "Ошибка изменения номера пульта."},
        {"1", "240", "Ошибка изменения номера пульта."},
        {"1", "twelve", "Ошибка изменения номера пульта."},
        {"1", "2", "Ошибка изменения номера пульта."},  // module 2 holds it
        {"1", "20", "Ошибка изменения номера пульта."},
        {"3", "9", "Данная версия пульта не поддерживает изменение номера."},
    };
    std::vector<TKvctlCall> calls;
    for (const TCase& item : refused)
        calls.push_back({{kField, "readdress", item.old, item.typed, kAddresses}});
    calls.push_back({{kField, "readdress", "1", "9", "--addresses=1,2,9"}});
    const auto results = RunKvctlTogether(calls);
    for (size_t i = 0; i < refused.size(); ++i) {
        const TCase& item = refused[i];
        const auto& result = results[i];
        EXPECT_EQ(result.status, 1) << item.typed;
        EXPECT_TRUE(result.out.empty());
        EXPECT_TRUE(Contains(result.err, item.message)) << item.typed << ": " << result.err;
    }
    const auto& result = results.back();
    EXPECT_EQ(result.status, 0) << result.err;
    EXPECT_EQ(result.out, "1\t9\n");
}

TEST(KvctlGoNoGo, PrintsWhatStandsInTheShowsWayWorstFirstAndFailsOnAStop)
{
    // Module 1 with channel 3 open, module 2 in test mode, a motor module; module 9 absent.
    const std::string port = "--port=sim:" +
        TempFile("kvctl-gonogo.ini", "[device1]\nKind=module\nAddress=1\nChannels=8\nOpen=3\n"
                                     "[device2]\nKind=module\nAddress=2\nChannels=8\nMode=test\n"
                                     "[device3]\nKind=motor\nAddress=6\n");
    const std::string bad =
        TempFile("kvctl-gonogo-bad.txt", "0:00.50\t1\t3\n0:01.00\t2\t1\n0:01.50\t9\t1\n");
    const std::string ready =
        TempFile("kvctl-gonogo-ready.txt", "0:00.50\t1\t1\n0:01.00\t1\t2\n0:01.50\t6\t#L#100\n");
    const std::string addresses = "--addresses=1-9";
    const auto results = RunKvctlTogether(
        {{{port, "gonogo", bad, addresses}},
         {{port, "gonogo", ready, addresses}},
         {{port, "gonogo", ready, addresses, "--control=autonomous"}},
         {{port, "gonogo", ScratchFolder() + "no-such-show.txt", addresses}}});
    const std::string soundtrack = "Внимание: Фонограмма не загружена. — Загрузите фонограмму шоу (F3).";
    auto result = results[0];
    EXPECT_EQ(result.status, 1);
    EXPECT_EQ(Lines(result.out),
              (std::vector<std::string>{
                  "Шоу не готово: устраните замечания «СТОП».",
                  "СТОП: Модули сценария не найдены на шине: 9 — Найдите их поиском (F10): "
                  "проверьте питание, линию и адрес.",
                  "СТОП: Каналы сценария, пульт 1: неподключен: 3 (проверка, минут назад: 0) — "
                  "Проверьте воспламенители и линии, повторите тест каналов.",
                  "СТОП: Модули в режиме теста: 2 — Переведите их в режим пуска (F12).",
                  soundtrack}));

    result = results[1];
    EXPECT_EQ(result.status, 0) << "only the operator's decisions";
    EXPECT_EQ(Lines(result.out),
              (std::vector<std::string>{"Есть замечания: решите, начинать ли шоу.", soundtrack}));

    // A fresh run verifies every module: 2 holds the nothing it should, though 1 before it
    // differs; the motor module's empty list could not be read as its move.
    result = results[2];
    EXPECT_EQ(result.status, 1);
    EXPECT_EQ(Lines(result.out),
              (std::vector<std::string>{
                  "Шоу не готово: устраните замечания «СТОП».",
                  "СТОП: Память модулей не содержит этот сценарий (не записан или не проверен): "
                  "1, 6 — Запишите сценарий (F8) и проверьте его (F9).",
                  "СТОП: Моторные модули, которые могут хранить движения после конца сценария "
                  "(память не удалялась и не проверялась): 6 — Проверьте сценарий в пультах (F9) "
                  "или удалите его (Ctrl+F8) и запишите снова (F8).",
                  soundtrack}));

    EXPECT_EQ(results[3].status, 1);
    EXPECT_TRUE(results[3].out.empty());

    for (const auto& args : std::vector<std::vector<std::string>>{
             {"gonogo"}, {"gonogo", ready, bad}, {"gonogo", ready, "--control=sideways"},
             {"gonogo", ready, "--remote"}}) {
        result = RunKvctl(args);
        EXPECT_EQ(result.status, 2) << testing::PrintToString(args);
        EXPECT_TRUE(result.out.empty());
        EXPECT_TRUE(Contains(result.err, "использование: kvctl")) << result.err;
    }
}

}  // namespace
}  // namespace kv::test
