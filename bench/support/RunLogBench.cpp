// The cost of one durable log line: a show writes one per cue on the main thread.
#include "support/log/RunLog.h"

#include <benchmark/benchmark.h>

#include <cstdlib>
#include <filesystem>
#include <string>

namespace {

std::string FreshLogFile()
{
    std::string pattern = (std::filesystem::temp_directory_path() / "kvbench-XXXXXX").string();
    if (!mkdtemp(pattern.data()))
        return {};
    return pattern + "/run.log";
}

void RemoveLog(const std::string& path)
{
    std::error_code error;
    std::filesystem::remove_all(std::filesystem::path(path).parent_path(), error);
}

void BM_WriteLogDistinctLines(benchmark::State& state)
{
    const std::string path = FreshLogFile();
    kv::SetLogFileName(path);
    int64_t cue = 0;
    for (auto _ : state)
        kv::WriteLog("Запуск, пульт: 12, канал: " + std::to_string(++cue));
    state.SetItemsProcessed(state.iterations());
    RemoveLog(path);
}
BENCHMARK(BM_WriteLogDistinctLines);

void BM_WriteLogCollapsedRepeat(benchmark::State& state)
{
    const std::string path = FreshLogFile();
    kv::SetLogFileName(path);
    for (auto _ : state)
        kv::WriteLog("Ошибка преобразователя");
    state.SetItemsProcessed(state.iterations());
    RemoveLog(path);
}
BENCHMARK(BM_WriteLogCollapsedRepeat);

}  // namespace

BENCHMARK_MAIN();
