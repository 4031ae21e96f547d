// kvfield end to end: its terminal carries the echo and the answer, its log the record.
#include "rigs/FieldRig.h"
#include "rigs/KvfieldProcess.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cstdio>
#include <fcntl.h>
#include <fstream>
#include <poll.h>
#include <termios.h>
#include <unistd.h>

namespace kv {
namespace {

TBytes ReadFor(int fd, int ms)
{
    TBytes got;
    const auto until = std::chrono::steady_clock::now() + std::chrono::milliseconds(ms);
    while (std::chrono::steady_clock::now() < until) {
        pollfd watched{fd, POLLIN, 0};
        if (poll(&watched, 1, 5) > 0) {
            uint8_t buffer[64];
            const ssize_t n = read(fd, buffer, sizeof buffer);
            if (n > 0)
                got.insert(got.end(), buffer, buffer + n);
        }
    }
    return got;
}

TEST(Kvfield, ServesEachConverterOnItsOwnTerminal)
{
    const std::string file = testing::TempDir() + "kvfield-test.ini";
    std::ofstream(file) << "[field]\nConverters=2\n[device1]\nKind=module\nAddress=4\n"
                           "Version=36B\nConverter=1\n";
    TKvfieldProcess field(KVFIELD_PATH, file, 2, true);
    ASSERT_EQ(field.paths.size(), 2u);
    const std::string second = field.paths[1];
    ASSERT_FALSE(second.empty()) << field.paths[0];

    const int line = open(second.c_str(), O_RDWR | O_NOCTTY);
    ASSERT_GE(line, 0) << second;
    termios raw{};
    tcgetattr(line, &raw);
    cfmakeraw(&raw);
    tcsetattr(line, TCSANOW, &raw);
    const TBytes query = Frame(0x80, 0, 1, 2, 3, 4);
    ASSERT_EQ(write(line, query.data(), query.size()), 7);
    EXPECT_EQ(ReadFor(line, 150), Join(query, Frame(0x7F, 'V', '3', '6', 'B', 4)));
    close(line);

    const int status = field.Stop();
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
    std::string log;
    char buffer[512];
    for (ssize_t n; (n = read(field.err, buffer, sizeof buffer)) > 0;)
        log.append(buffer, static_cast<size_t>(n));
    EXPECT_NE(log.find("c1 pc> 80 00 01 02 03 04"), std::string::npos) << log;
    EXPECT_NE(log.find("c1 <field 7F 56 33 36 42 04"), std::string::npos) << log;
}

}  // namespace
}  // namespace kv
