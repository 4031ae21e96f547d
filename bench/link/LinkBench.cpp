// The frame scan's throughput and the port thread's CPU use while the bus is idle.
#include "QtBenchMain.h"

#include "field/file/FieldFile.h"
#include "field/bus/FieldPort.h"
#include "link/FrameCheck.h"
#include "link/PortProto.h"
#include "support/text/IniFile.h"
#include "link/Port.h"
#include "link/ReceiveBuffer.h"
#include "link/UsbPort.h"
#include "support/platform/Platform.h"

#include <benchmark/benchmark.h>

#include <chrono>
#include <filesystem>
#include <pty.h>
#include <sys/resource.h>
#include <termios.h>
#include <unistd.h>
#include <vector>

namespace {

using namespace kv;

// Frames with a noise byte between every few, as a busy bus delivers them.
static void ScanFrames(benchmark::State& state)
{
    std::vector<uint8_t> stream;
    for (int i = 0; i < 1000; ++i) {
        uint8_t frame[7] = {0x70, 'O', 'k', 0, static_cast<uint8_t>(i), 9, 0};
        frame[6] = FrameCheck(frame, 6);
        stream.insert(stream.end(), frame, frame + 7);
        if (i % 4 == 0)
            stream.push_back(0x55);
    }
    auto buffer = std::make_unique<TReceiveBuffer>();
    std::vector<TReceivedFrame> batch(TPort::kBatchCapacity);
    int64_t frames = 0;
    for (auto _ : state) {
        buffer->Append(stream.data(), static_cast<int>(stream.size()), 0);
        int count = 0;
        do {
            count = buffer->Parse(batch.data(), TPort::kBatchCapacity);
            frames += count;
        } while (count == TPort::kBatchCapacity);
    }
    state.SetItemsProcessed(frames);
}
BENCHMARK(ScanFrames);

// A connected transport on which nothing ever arrives.
class TSilentTransport : public TCommonPort {
public:
    bool Open() override { return true; }
    void Close() override {}
    bool Reopen() override { return true; }
    int DeviceCount() override { return 1; }
    int BytesAvailable() override { return 0; }
    int Read(uint8_t*, int, int) override { return 0; }
    int ReadAny(uint8_t*, int, int& converter) override
    {
        converter = -1;
        return 0;
    }
    int Write(const uint8_t*, int count, int) override { return count; }
    void WakeSources(TWakeSources&) override {}
};

double CpuSeconds()
{
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return usage.ru_utime.tv_sec + usage.ru_stime.tv_sec +
           (usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
}

// Share of one core the port thread takes over five seconds of silence, and how often it
// woke (the process's voluntary context switches: the main thread sleeps throughout).
void MeasureIdle(benchmark::State& state, std::unique_ptr<TCommonPort> transport)
{
    TPort port(std::move(transport));
    port.Start();
    Platform().Sleep(200);  // past the start
    double share = 0;
    double wakeups = 0;
    for (auto _ : state) {
        rusage before{};
        getrusage(RUSAGE_SELF, &before);
        const double cpuBefore = CpuSeconds();
        const uint32_t start = Platform().TickCount();
        Platform().Sleep(5000);
        rusage after{};
        getrusage(RUSAGE_SELF, &after);
        const double seconds = (Platform().TickCount() - start) / 1000.0;
        share = (CpuSeconds() - cpuBefore) / seconds;
        wakeups = static_cast<double>(after.ru_nvcsw - before.ru_nvcsw) / seconds;
    }
    port.Stop();
    state.counters["cpu_percent"] = share * 100;
    state.counters["wakeups_per_s"] = wakeups;
}

static void IdlePortThreadSilentTransport(benchmark::State& state)
{
    MeasureIdle(state, std::make_unique<TSilentTransport>());
}
BENCHMARK(IdlePortThreadSilentTransport)->Iterations(1)->Unit(benchmark::kMillisecond);

// Pseudo-terminals standing in for converters; closed when it goes.
class TPtys {
public:
    explicit TPtys(int count)
    {
        termios raw{};
        cfmakeraw(&raw);
        for (int i = 0; i < count; ++i) {
            int master = -1;
            int slave = -1;
            char name[256] = {};
            if (openpty(&master, &slave, name, &raw, nullptr) != 0)
                return;
            fds_.push_back(master);
            fds_.push_back(slave);
            paths += (paths.empty() ? "" : ",") + std::string(name);
        }
        made_ = count;
    }
    ~TPtys()
    {
        for (const int fd : fds_)
            ::close(fd);
    }
    bool Made(int count) const { return made_ == count; }
    std::string paths;  // the port setting that names them all

private:
    std::vector<int> fds_;
    int made_ = 0;
};

static void IdlePortThreadPty(benchmark::State& state)
{
    const int converters = static_cast<int>(state.range(0));
    TPtys ptys(converters);
    if (!ptys.Made(converters)) {
        state.SkipWithError("no pseudo-terminal");
        return;
    }
    MeasureIdle(state, std::make_unique<TUSBPort>(TPort::kMaxConverters, ptys.paths));
}
BENCHMARK(IdlePortThreadPty)->Arg(1)->Arg(2)->Iterations(1)->Unit(benchmark::kMillisecond);

// The simulated field's two converters, in real time, nothing on the line.
static void IdlePortThreadField(benchmark::State& state)
{
    auto field = std::make_shared<TField>();
    std::string problem;
    BuildField(TIniFile::Parse("[field]\nConverters=2\n[device1]\nKind=module\nAddress=3\n"),
               *field, problem);
    MeasureIdle(state, std::make_unique<TFieldPort>(field));
}
BENCHMARK(IdlePortThreadField)->Iterations(1)->Unit(benchmark::kMillisecond);

// One status query on the field paced at 19200 baud (devices answering at once), as a share of
// the line time of its two frames; the port thread runs beside it as in the program.
static void TransactOnField(benchmark::State& state)
{
    auto field = std::make_shared<TField>();
    std::string problem;
    BuildField(TIniFile::Parse("[field]\nConverters=1\nTurnaround=0\n"
                               "[device1]\nKind=module\nAddress=3\nVersion=46B\nChannels=16\n"),
               *field, problem);
    TPortProto port(std::make_unique<TFieldPort>(field));
    port.Start();
    double a = 0;
    double b = 0;
    int flag = 0;
    int failures = 0;
    const auto start = std::chrono::steady_clock::now();
    for (auto _ : state)
        failures += port.QueryStatus(3, 0, -1, false, a, b, flag) != kLinkOk;
    const std::chrono::duration<double> spent = std::chrono::steady_clock::now() - start;
    port.Stop();
    const double lineSeconds = 2 * field->LineNs(kFrameSize) / 1e9;
    state.counters["failures"] = failures;
    state.counters["line_ms"] = lineSeconds * 1000;
    state.counters["ratio"] = spent.count() / static_cast<double>(state.iterations()) / lineSeconds;
}
BENCHMARK(TransactOnField)->UseRealTime()->Unit(benchmark::kMillisecond);

}  // namespace

int main(int argc, char** argv)
{
    return kv::RunQtBenchmarks(argc, argv);
}
