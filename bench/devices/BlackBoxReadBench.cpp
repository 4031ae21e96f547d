// The black-box read of one module (7937 exchanges) on a field paced at 19200 baud in real
// time, against the line's limit: the time its 7937 commands and replies take on the line.
// Two fields: the simulated one in process, and kvfield over a pseudo-terminal (the serial
// transport, as with a converter). The argument is the module's turnaround in ms (the field
// file's default is 2). Besides the ratio, where the time goes between two commands:
// turnaround_ms (end of a command to the start of its reply, the module's part) and gap_ms
// (end of a reply to the start of the next command, the program's part), means over the read.
// KV_BENCH_RECORD=file keeps kvfield's record; KV_BENCH_KVFIELD_NORMAL=1 leaves kvfield at
// normal priority.
#include "QtBenchMain.h"

#include "devices/memory/ModuleTransfer.h"
#include "rigs/KvfieldProcess.h"

#include "devices/registry/Controls.h"
#include "field/file/FieldFile.h"
#include "field/bus/FieldPort.h"
#include "link/PortProto.h"
#include "link/UsbPort.h"
#include "support/text/IniFile.h"
#include "support/platform/Platform.h"

#include <benchmark/benchmark.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <sched.h>
#include <sstream>
#include <thread>

namespace kv {
namespace {

constexpr int kBaud = 19200;
constexpr int kExchanges = 7937;  // the counter read and 7936 memory reads

std::string FieldText(int turnaroundMs)
{
    return "[field]\nConverters=1\nTurnaround=" + std::to_string(turnaroundMs) +
           "\n[device1]\nKind=module\nAddress=1\nVersion=46B\nChannels=16\n";
}

double LineLimitSeconds()
{
    return kExchanges * 2.0 * 7 * 10 / kBaud;
}

struct TFrameTimes {
    bool fromPc;
    double startMs;
    double endMs;
};

// Means of the two pauses between frames that alternate command, reply, command...
void ReportPauses(benchmark::State& state, const std::vector<TFrameTimes>& frames)
{
    double turnaround = 0;
    double gap = 0;
    int turnarounds = 0;
    int gaps = 0;
    for (size_t i = 1; i < frames.size(); ++i) {
        const double pause = frames[i].startMs - frames[i - 1].endMs;
        if (frames[i - 1].fromPc && !frames[i].fromPc) {
            turnaround += pause;
            ++turnarounds;
        } else if (!frames[i - 1].fromPc && frames[i].fromPc) {
            gap += pause;
            ++gaps;
        }
    }
    state.counters["turnaround_ms"] = turnarounds ? turnaround / turnarounds : 0;
    state.counters["gap_ms"] = gaps ? gap / gaps : 0;
}

// Reads the black box through the registry, as the memory dialog does (its progress handler
// lets the main thread's messages run), with the port thread running as in the program.
void ReadBlackBox(benchmark::State& state, TPortProto& port)
{
    port.Start();
    TControls registry(port);
    if (!registry.AddOrRefresh(1, 0) || registry.FiringModuleCount() != 1) {
        state.SkipWithError("the module did not answer");
        port.Stop();
        return;
    }
    int result = 0;
    double seconds = 0;
    for (auto _ : state) {
        std::vector<uint8_t> buffer;
        const auto start = std::chrono::steady_clock::now();
        result = TModuleTransfer(registry, [](int, int, bool&, int, int) {
                     Platform().ProcessMessages();
                 }).ReadBlackBox(buffer);
        seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    }
    port.Stop();
    state.counters["result"] = result;
    state.counters["seconds"] = seconds;
    state.counters["line_s"] = LineLimitSeconds();
    state.counters["ratio"] = seconds / LineLimitSeconds();
}

void BlackBoxReadField(benchmark::State& state)
{
    auto field = std::make_shared<TField>();
    std::string problem;
    BuildField(TIniFile::Parse(FieldText(static_cast<int>(state.range(0)))), *field, problem);
    TPortProto port(std::make_unique<TFieldPort>(field));
    field->ClearRecord();
    ReadBlackBox(state, port);
    std::vector<TFrameTimes> frames;
    for (const TFrameEntry& entry : field->Frames())
        if (entry.bytes.size() >= 7 && (entry.bytes[0] == 0x94 || entry.bytes[0] == 0x6B))
            frames.push_back({entry.origin == TFrameOrigin::Pc, entry.startNs / 1e6, entry.endNs / 1e6});
    ReportPauses(state, frames);
}
BENCHMARK(BlackBoxReadField)->Arg(2)->Arg(0)->Iterations(1)->Unit(benchmark::kSecond);

// kvfield's record: "end-ms.us cN pc> 94 ..." or "... <field 6B ...", one frame a line.
std::vector<TFrameTimes> MemoryFramesOfRecord(const std::string& record)
{
    const double frameMs = 7 * 10 * 1000.0 / kBaud;
    std::vector<TFrameTimes> frames;
    std::istringstream lines(record);
    for (std::string line; std::getline(lines, line);) {
        unsigned ms = 0;
        unsigned us = 0;
        char converter[8] = {};
        char origin[8] = {};
        unsigned code = 0;
        if (std::sscanf(line.c_str(), "%u.%u %7s %7s %x", &ms, &us, converter, origin, &code) != 5 ||
            (code != 0x94 && code != 0x6B))
            continue;
        const double end = ms + us / 1000.0;
        frames.push_back({std::string(origin) == "pc>", end - frameMs, end});
    }
    return frames;
}

void BlackBoxReadKvfield(benchmark::State& state)
{
    const std::string file = "/tmp/kv-bench-black-box-" + std::to_string(getpid()) + ".ini";
    std::ofstream(file) << FieldText(static_cast<int>(state.range(0)));
    const char* program = std::getenv("KV_BENCH_KVFIELD");  // another build's, to compare
    TKvfieldProcess kvfield(program ? program : KVFIELD_PATH, file, 1, true);
    // kvfield stands in for a converter, which the PC's load never holds back; on a busy
    // machine kvfield was (71 ms asleep for 0.4 ms asked, past the 50 ms echo wait). Where
    // allowed it runs at real-time priority; kvfield_rt says whether it did.
    const sched_param priority{1};
    const bool realTime = std::getenv("KV_BENCH_KVFIELD_NORMAL") == nullptr &&
                          sched_setscheduler(kvfield.Pid(), SCHED_FIFO, &priority) == 0;
    std::string record;
    std::thread drain([&] {  // a full pipe would stall kvfield
        char buffer[4096];
        for (ssize_t n; (n = read(kvfield.err, buffer, sizeof buffer)) > 0;)
            record.append(buffer, static_cast<size_t>(n));
    });
    {
        TPortProto port(std::make_unique<TUSBPort>(TPort::kMaxConverters, kvfield.paths[0]));
        ReadBlackBox(state, port);
    }
    kvfield.Stop();
    drain.join();
    std::remove(file.c_str());
    if (const char* keep = std::getenv("KV_BENCH_RECORD"))
        std::ofstream(keep) << record;
    ReportPauses(state, MemoryFramesOfRecord(record));
    state.counters["kvfield_rt"] = realTime;
}
BENCHMARK(BlackBoxReadKvfield)->Arg(2)->Arg(0)->Iterations(1)->Unit(benchmark::kSecond);

}  // namespace
}  // namespace kv

int main(int argc, char** argv)
{
    return kv::RunQtBenchmarks(argc, argv);
}
