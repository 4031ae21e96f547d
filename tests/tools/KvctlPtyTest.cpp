// kvctl over pseudo-terminals: the field served by kvfield, the converters named as device
// paths, the converter index being the position in the list.
#include "KvctlRun.h"
#include "KvfieldProcess.h"

#include <gtest/gtest.h>

namespace kv::test {
namespace {

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

}  // namespace
}  // namespace kv::test
