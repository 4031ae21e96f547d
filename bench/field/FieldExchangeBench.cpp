// What the simulation costs the machine: one command and its answer through the in-process
// port on virtual time (no waiting, only the field's own work), and a whole black-box read.
#include "field/file/FieldFile.h"
#include "field/bus/FieldPort.h"
#include "link/FrameCheck.h"
#include "support/platform/VirtualPlatform.h"

#include <benchmark/benchmark.h>

namespace kv {
namespace {

struct TBenchField {
    TBenchField()
    {
        std::string problem;
        BuildField(TIniFile::Parse("[field]\nConverters=1\n[device1]\nKind=module\nAddress=1\n"
                                   "[device2]\nKind=module\nAddress=2\n[device3]\nKind=hv\n"
                                   "Address=3\n[device4]\nKind=station\n"),
                   *field, problem);
        port.Open();
    }

    int Exchange(uint8_t code, uint8_t b1, uint8_t b2, uint8_t address)
    {
        uint8_t frame[7] = {code, b1, b2, 0, 0, address, 0};
        frame[6] = FrameCheck(frame, 6);
        port.Write(frame, 7, 0);
        uint8_t reply[16];
        int got = 0;
        while (got < 7) {
            const int n = port.Read(reply + got, 7 - got, 0);
            if (n <= 0)
                return got;
            got += n;
        }
        return got;
    }

    struct TInstalled {
        TVirtualPlatform platform;
        TInstalled() { InstallPlatform(&platform); }
        ~TInstalled() { InstallPlatform(nullptr); }
    } installed;  // before the field: it reads the clock when made
    std::shared_ptr<TField> field = std::make_shared<TField>(std::make_shared<TPlatformFieldClock>());
    TFieldPort port{field};
};

void BM_StatusExchange(benchmark::State& state)
{
    TBenchField bench;
    for (auto _ : state)
        benchmark::DoNotOptimize(bench.Exchange(0x85, 0, 0, 2));
    state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_StatusExchange);

void BM_BlackBoxRead(benchmark::State& state)
{
    TBenchField bench;
    for (auto _ : state) {
        int bytes = bench.Exchange(0x8E, 0, 0, 1);
        for (int j = 0; j < 7936; ++j) {
            const int address = 0x0400 + 4 * j;
            bytes += bench.Exchange(0x94, static_cast<uint8_t>(address >> 8),
                                    static_cast<uint8_t>(address), 1);
        }
        bench.field->ClearRecord();
        benchmark::DoNotOptimize(bytes);
    }
}
BENCHMARK(BM_BlackBoxRead)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace kv

BENCHMARK_MAIN();
