// A hot standby across processes: kvfield serves one bus line with two stations' converters,
// a primary kvctl runs a show on the first and a standby kvctl follows it on the second. At a
// random moment mid-show the primary is killed (SIGKILL), or held (SIGSTOP) for 1.5 s and let
// go (SIGCONT). Judged from the field's own record, never from what the programs say:
//   twice / lost: cues whose channel fired more than once / never;
//   early: shots after the takeover before their cue's time, the show's time 0 taken from the
//     primary's shots (the least of shot time less cue time: the primary, never early, is the
//     yardstick; its start notice goes out after its clock starts, by a varying delay);
//     least_margin_ms: the least any such shot came after its time;
//   gap: the primary's last frame on the line to the standby's first as the master (its start
//     notice, clock message or fire frame), p50/p99/max in ms (the goal: p99 under 500);
//   second_master: frames the primary put on the line as a master (fire, clock) after the
//     standby had become the master.
// KV_STANDBY_RUNS: runs per case (default 20); KV_STANDBY_SEED: the random moments' seed.

#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <fcntl.h>
#include <fstream>
#include <map>
#include <random>
#include <spawn.h>
#include <sstream>
#include <string>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>
#include <vector>

extern char** environ;

namespace {

using Clock = std::chrono::steady_clock;

constexpr int kModules = 4;
constexpr int kCuesPerModule = 12;
constexpr int kFirstCueMs = 500;
constexpr int kCueStepMs = 100;
constexpr int kLastCueMs = kFirstCueMs + (kModules * kCuesPerModule - 1) * kCueStepMs;
constexpr int kHoldMs = 1500;
// A frame at 19200 baud; the record's time is its last byte's.
constexpr double kFrameMs = 7 * 10 * 1000.0 / 19200;

struct TCue {
    int time;
    int module;
    int channel;  // from 1
};

std::vector<TCue> Cues()
{
    std::vector<TCue> cues;
    for (int i = 0; i < kModules * kCuesPerModule; ++i)
        cues.push_back({kFirstCueMs + i * kCueStepMs, 1 + i % kModules, 1 + i / kModules});
    return cues;
}

std::string Folder()
{
    static const std::string folder = [] {
        char name[] = "/tmp/kv-standby-bench-XXXXXX";
        return std::string(mkdtemp(name)) + "/";
    }();
    return folder;
}

std::string WriteFile(const std::string& name, const std::string& text)
{
    const std::string path = Folder() + name;
    std::ofstream(path, std::ios::binary) << text;
    return path;
}

std::string ReadFile(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
}

void WriteInputs()
{
    std::string field = "[field]\nConverters=2\n[converter1]\nSameLineAs=0\n";
    for (int m = 1; m <= kModules; ++m)
        field += "[device" + std::to_string(m) + "]\nKind=module\nAddress=" + std::to_string(m) +
                 "\n";
    WriteFile("field.ini", field);
    std::string show;
    char line[64];
    for (const TCue& cue : Cues()) {
        std::snprintf(line, sizeof line, "0:%02d.%02d\t%d\t%d\n", cue.time / 1000,
                      cue.time % 1000 / 10, cue.module, cue.channel);
        show += line;
    }
    WriteFile("show.txt", show);
    WriteFile("kvshow.ini", "");
}

pid_t Spawn(const std::vector<std::string>& args, const std::string& out, const std::string& err)
{
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 0, "/dev/null", O_RDONLY, 0);
    posix_spawn_file_actions_addopen(&actions, 1, out.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    posix_spawn_file_actions_addopen(&actions, 2, err.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    std::vector<char*> argv;
    for (const std::string& arg : args)
        argv.push_back(const_cast<char*>(arg.c_str()));
    argv.push_back(nullptr);
    pid_t pid = -1;
    if (posix_spawn(&pid, argv[0], &actions, nullptr, argv.data(), environ) != 0)
        pid = -1;
    posix_spawn_file_actions_destroy(&actions);
    return pid;
}

// Waits until the file holds the text (count times), or the time is up.
bool WaitFor(const std::string& path, const std::string& text, int ms, int count = 1)
{
    const auto until = Clock::now() + std::chrono::milliseconds(ms);
    while (Clock::now() < until) {
        const std::string held = ReadFile(path);
        int found = 0;
        for (size_t at = held.find(text); at != std::string::npos; at = held.find(text, at + 1))
            ++found;
        if (found >= count)
            return true;
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    return false;
}

void End(pid_t pid, int signal)
{
    if (pid <= 0)
        return;
    kill(pid, SIGCONT);
    kill(pid, signal);
    waitpid(pid, nullptr, 0);
}

struct TRecordLine {
    double ms = 0;
    int converter = 0;
    bool fromPc = false;
    std::vector<int> bytes;  // a frame's
    int module = 0;          // a shot's
    int channel = 0;
};

// The record from offset on.
std::vector<TRecordLine> ReadRecord(const std::string& path, size_t offset)
{
    std::vector<TRecordLine> lines;
    std::istringstream text(ReadFile(path).substr(offset));
    for (std::string line; std::getline(text, line);) {
        std::istringstream fields(line);
        TRecordLine entry;
        std::string converter, kind;
        fields >> entry.ms >> converter >> kind;
        if (converter.size() < 2 || converter[0] != 'c')
            continue;
        entry.converter = std::atoi(converter.c_str() + 1);
        if (kind == "fired") {
            std::string word;
            fields >> word >> entry.module >> word >> entry.channel;
        } else {
            entry.fromPc = kind == "pc>";
            for (std::string byte; fields >> byte && byte.size() == 2;)
                entry.bytes.push_back(std::stoi(byte, nullptr, 16));
            if (entry.bytes.size() != 7)
                continue;
        }
        lines.push_back(entry);
    }
    return lines;
}

bool ShowBegins(const TRecordLine& line)
{
    return (line.bytes[0] == 0x10 && line.bytes[5] == 0xFF) ||
           (line.bytes[0] == 0x90 && line.bytes[3] == 0x80);
}

bool MasterFrame(const TRecordLine& line)
{
    return line.bytes[0] == 0x10 || line.bytes[0] == 0x90 || line.bytes[0] == 0x84;
}

struct TTally {
    int runs = 0;
    int twice = 0;
    int lost = 0;
    int early = 0;
    int noTakeover = 0;
    int secondMaster = 0;
    double leastMargin = INFINITY;
    std::vector<double> gaps;
};

void Judge(const std::string& name, const std::vector<TRecordLine>& record, TTally& tally)
{
    const TTally before = tally;
    ++tally.runs;
    double start = -1;
    double primaryLast = -1;
    double standbyFirst = -1;
    for (const TRecordLine& line : record) {
        if (!line.fromPc)
            continue;
        if (line.converter == 0 && start < 0 && ShowBegins(line))
            start = line.ms - kFrameMs;
        if (start < 0)
            continue;
        if (line.converter == 1 && standbyFirst < 0 && MasterFrame(line))
            standbyFirst = line.ms;
        if (line.converter == 0 && standbyFirst < 0)
            primaryLast = line.ms;
        if (line.converter == 0 && standbyFirst >= 0 && MasterFrame(line))
            ++tally.secondMaster;
    }
    if (standbyFirst < 0)
        ++tally.noTakeover;
    else
        tally.gaps.push_back(standbyFirst - primaryLast);
    std::map<std::pair<int, int>, std::vector<double>> shots;
    for (const TRecordLine& line : record)
        if (line.module > 0)
            shots[{line.module, line.channel}].push_back(line.ms);
    const double takeover = standbyFirst < 0 ? INFINITY : standbyFirst;
    double zero = INFINITY;
    for (const TCue& cue : Cues())
        for (const double ms : shots[{cue.module, cue.channel}])
            if (ms < takeover)
                zero = std::min(zero, ms - cue.time);
    if (!std::isfinite(zero))
        zero = start;
    double leastMargin = INFINITY;
    for (const TCue& cue : Cues()) {
        const auto& fired = shots[{cue.module, cue.channel}];
        tally.twice += fired.size() > 1;
        tally.lost += fired.empty();
        for (const double ms : fired)
            if (ms >= takeover) {
                tally.early += ms - zero < cue.time;
                leastMargin = std::min(leastMargin, ms - zero - cue.time);
            }
    }
    tally.leastMargin = std::min(tally.leastMargin, leastMargin);
    std::fprintf(stderr,
                 "%s: gap %.1f ms, twice %d, lost %d, early %d (least margin %.1f ms), second "
                 "master %d\n",
                 name.c_str(), standbyFirst < 0 ? NAN : standbyFirst - primaryLast,
                 tally.twice - before.twice, tally.lost - before.lost, tally.early - before.early,
                 leastMargin,
                 tally.secondMaster - before.secondMaster);
}

double Percentile(std::vector<double> values, double share)
{
    if (values.empty())
        return NAN;
    std::sort(values.begin(), values.end());
    const auto at = static_cast<size_t>(std::ceil(share * static_cast<double>(values.size()))) - 1;
    return values[std::min(at, values.size() - 1)];
}

int Runs()
{
    const char* runs = std::getenv("KV_STANDBY_RUNS");
    return runs ? std::max(1, std::atoi(runs)) : 20;
}

std::mt19937& Random()
{
    static std::mt19937 random = [] {
        const char* seed = std::getenv("KV_STANDBY_SEED");
        const unsigned value = seed ? static_cast<unsigned>(std::atol(seed)) : std::random_device{}();
        std::fprintf(stderr, "KV_STANDBY_SEED=%u\n", value);
        return std::mt19937(value);
    }();
    return random;
}

// One show: the primary killed or held at a random moment; false when the field or a station
// did not come up (told on stderr).
bool RunOnce(const std::string& name, bool autonomous, bool hold, TTally& tally)
{
    const std::string f = Folder();
    // Each run's outputs kept, for a look at the ones that went wrong.
    const std::string o = f + name + "-";
    const pid_t field = Spawn({KVFIELD_PATH, f + "field.ini"}, o + "paths.txt", o + "record.txt");
    WaitFor(o + "paths.txt", "\n", 5000, 2);
    std::istringstream paths(ReadFile(o + "paths.txt"));
    std::string primaryPort, standbyPort;
    std::getline(paths, primaryPort);
    std::getline(paths, standbyPort);
    const std::string control = autonomous ? "--control=autonomous" : "--control=direct";
    const std::string settings = "--settings=" + f + "kvshow.ini";
    const std::string addresses = "--addresses=1-" + std::to_string(kModules);
    bool ok = !primaryPort.empty() && !standbyPort.empty();
    if (ok && autonomous) {
        const pid_t write = Spawn({KVCTL_PATH, "--port", primaryPort, settings, "--yes", "write",
                                   f + "show.txt", addresses},
                                  o + "write.out", o + "write.err");
        int status = 0;
        waitpid(write, &status, 0);
        ok = WIFEXITED(status) && WEXITSTATUS(status) == 0;
    }
    pid_t standby = -1;
    pid_t primary = -1;
    if (ok) {
        standby = Spawn({KVCTL_PATH, "--port", standbyPort, settings, "--yes", "standby",
                         f + "show.txt", addresses + ",255", control},
                        o + "standby.out", o + "standby.err");
        ok = WaitFor(o + "standby.out", "Резервная станция следит", 15000);  // the log echo
    }
    size_t showRecord = 0;
    if (ok) {
        showRecord = ReadFile(o + "record.txt").size();
        primary = Spawn({KVCTL_PATH, "--port", primaryPort, settings, "--yes", "show",
                         f + "show.txt", addresses, control, "--report", o + "primary-report.csv"},
                        o + "primary.out", o + "primary.err");
        ok = WaitFor(o + "record.txt", " c0 pc> 10 ", 15000);
    }
    if (ok) {
        std::uniform_int_distribution<int> moment(kFirstCueMs + 100, kLastCueMs - 600);
        std::this_thread::sleep_for(std::chrono::milliseconds(moment(Random())));
        if (hold) {
            kill(primary, SIGSTOP);
            std::this_thread::sleep_for(std::chrono::milliseconds(kHoldMs));
            kill(primary, SIGCONT);
        } else {
            End(primary, SIGKILL);
            primary = -1;
        }
        // Both shows end by then; the checks after a show are not what is measured.
        std::this_thread::sleep_for(std::chrono::milliseconds(kLastCueMs + 2000));
    } else {
        std::fprintf(stderr, "a run did not start: see %s*\n", o.c_str());
    }
    End(primary, SIGINT);
    End(standby, SIGINT);
    End(field, SIGTERM);
    if (ok)
        Judge(name, ReadRecord(o + "record.txt", showRecord), tally);
    return ok;
}

void BM_StandbyTakeover(benchmark::State& state)
{
    const bool autonomous = state.range(0) != 0;
    const bool hold = state.range(1) != 0;
    WriteInputs();
    std::fprintf(stderr, "runs in %s\n", Folder().c_str());
    TTally tally;
    const std::string name = std::string(autonomous ? "autonomous" : "direct") +
                             (hold ? "-held" : "-killed");
    for (auto _ : state)
        for (int run = 0; run < Runs(); ++run)
            if (!RunOnce(name + std::to_string(run), autonomous, hold, tally))
                state.counters["not_started"] += 1;
    state.counters["runs"] = tally.runs;
    state.counters["twice"] = tally.twice;
    state.counters["lost"] = tally.lost;
    state.counters["early"] = tally.early;
    state.counters["no_takeover"] = tally.noTakeover;
    state.counters["second_master"] = tally.secondMaster;
    state.counters["least_margin_ms"] = tally.leastMargin;
    state.counters["gap_p50_ms"] = Percentile(tally.gaps, 0.5);
    state.counters["gap_p99_ms"] = Percentile(tally.gaps, 0.99);
    state.counters["gap_max_ms"] = Percentile(tally.gaps, 1.0);
}

// Arguments: autonomous control, held rather than killed.
BENCHMARK(BM_StandbyTakeover)
    ->ArgNames({"autonomous", "held"})
    ->Args({0, 0})
    ->Args({1, 0})
    ->Args({0, 1})
    ->Args({1, 1})
    ->Iterations(1)
    ->Unit(benchmark::kSecond);

}  // namespace

BENCHMARK_MAIN();
