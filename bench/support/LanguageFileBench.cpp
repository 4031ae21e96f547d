// Reading a full language file at the first showing of the main window, once per window.
#include "support/text/IniFile.h"
#include "support/text/TextEncoding.h"

#include <benchmark/benchmark.h>

#include <string>

namespace {

// About the size of a complete translation: 97 messages and a few hundred controls.
std::string LanguageFileCp1251()
{
    std::string text = "[strings]\r\n";
    for (int id = 0; id < 97; ++id)
        text += std::to_string(id) + "=Ошибка передачи данных (истекло время ожидания).\r\n";
    text += "[buttons]\r\n";
    for (int i = 0; i < 400; ++i)
        text += "TMainForm.Button" + std::to_string(i) + "=<F5> Старт\r\n";
    return kv::EncodeCp1251(text);
}

void BM_DecodeAndParseLanguageFile(benchmark::State& state)
{
    const std::string bytes = LanguageFileCp1251();
    for (auto _ : state) {
        const kv::TIniFile file = kv::TIniFile::Parse(kv::DecodeText(bytes));
        benchmark::DoNotOptimize(file.ReadString("buttons", "TMainForm.Button399", ""));
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * bytes.size()));
}
BENCHMARK(BM_DecodeAndParseLanguageFile);

void BM_EncodeLogLine(benchmark::State& state)
{
    const std::string line = "07.12.2026 1:00:03: Запуск, пульт: 12, канал: 7";
    for (auto _ : state)
        benchmark::DoNotOptimize(kv::EncodeCp1251(line));
}
BENCHMARK(BM_EncodeLogLine);

}  // namespace

BENCHMARK_MAIN();
