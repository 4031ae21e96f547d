// A show package made by kvctl and fired from on the demo field, soundtrack and all, as an
// operator takes a show from the office to the field in one file.
#include "rigs/KvctlRun.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

namespace kv::test {
namespace {

const std::string kShare = KV_SHARE_DIR;

bool Contains(const std::string& text, const std::string& part)
{
    return text.find(part) != std::string::npos;
}

TEST(KvctlPackage, PackedSampleShowFiresFromThePackageAndADamagedOneTouchesNoBus)
{
    const std::string folder = ScratchFolder() + "package/";
    std::filesystem::create_directories(folder);
    const std::string settings = folder + "kvshow.ini";
    std::ofstream(settings) << "[files]\nFolder=state\n";
    const std::string package = folder + "sample.kvshow";
    const auto packed = RunKvctl({"pack", kShare + "/sample-scenario.txt", "--soundtrack",
                                  kShare + "/sample-soundtrack.ogg", "--tempo", "95%", "--out",
                                  package});
    ASSERT_EQ(packed.status, 0) << packed.err;
    EXPECT_EQ(packed.out, package + ": sample-scenario.txt, 183 cues, sample-soundtrack.ogg\n");

    // The damaged copy: one byte of the music changed on the way.
    const std::string damaged = folder + "damaged.kvshow";
    std::string bytes = ReadWholeFile(package);
    bytes[bytes.size() / 2] ^= 0x01;
    std::ofstream(damaged, std::ios::binary) << bytes;

    const std::string field = "--port=sim:" + kShare + "/demo-field.ini";
    const std::string damagedTrace = folder + "damaged-trace.txt";
    const auto results = RunKvctlTogether(
        {{{"--settings", settings, field, "--yes", "show", package, "--from", "94000",
           "--addresses=1-8"}},
         {{"--settings", settings, field, "--yes", "show", damaged, "--addresses=1-8", "--trace",
           damagedTrace}}});

    const auto& shown = results[0];
    EXPECT_EQ(shown.status, 0) << shown.err;
    // The package's soundtrack and tempo, and its last cue fired.
    for (const char* line : {"Фонограмма: sample-soundtrack.ogg [0:01:40]\n",
                             "Темп: 95.0%, смещение: 0 ms\n", "Запуск, пульт: 8, канал: 20\n",
                             "Остановка проекта\n"})
        EXPECT_TRUE(Contains(shown.out, line)) << line << shown.out;
    const std::string unpacked = folder + "state/shows/";
    int files = 0;
    for (const auto& entry : std::filesystem::recursive_directory_iterator(unpacked))
        files += entry.is_regular_file() ? 1 : 0;
    EXPECT_EQ(files, 2);

    const auto& refused = results[1];
    EXPECT_EQ(refused.status, 1);
    EXPECT_TRUE(Contains(refused.err, "soundtrack/sample-soundtrack.ogg")) << refused.err;
    EXPECT_EQ(refused.out, "");
    EXPECT_FALSE(std::filesystem::exists(damagedTrace)) << "the bus was touched";
}

}  // namespace
}  // namespace kv::test
