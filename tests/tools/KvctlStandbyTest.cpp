// kvctl standby on a simulated line where a primary station (7) starts a show, fires its first
// cues and then either falls silent or ends the show itself.
#include "rigs/KvctlRun.h"

#include <gtest/gtest.h>

#include <QJsonDocument>
#include <QJsonObject>

#include <algorithm>
#include <fstream>
#include <sstream>

namespace kv::test {
namespace {

// The primary's show starts 3 s into the field's time, well after kvctl's search.
constexpr int kStartMs = 3000;

constexpr const char* kScenario =
    "0:00.50\t1\t1\n0:00.50\t2\t1\n0:01.00\t1\t2\n0:02.00\t2\t2\n0:02.50\t1\t3\n";

// The primary's frames up to 1 s of show time; the station's section comes last, for the
// variants to add to it.
constexpr const char* kPrimary = R"(
[device1]
Kind=module
Address=1
[device2]
Kind=module
Address=2
[event1]
At=3000
Type=start-notice
StationId=7
[event2]
At=3500
Type=frame
Bytes=84 01 00 80 00 01
[event3]
At=3505
Type=frame
Bytes=84 01 00 80 00 02
[event4]
At=4000
Type=frame
Bytes=84 02 00 80 00 01
[device3]
Kind=station
StationId=7
LaunchState=2
)";

// The primary's last two cues and its stop.
constexpr const char* kPrimaryEnds = R"(
[event5]
At=5000
Type=frame
Bytes=84 02 00 80 00 02
[event6]
At=5500
Type=frame
Bytes=84 03 00 80 00 01
[event7]
At=6000
Type=stop-notice
StationId=7
Time=3000
)";

std::string Write(const std::string& name, const std::string& text)
{
    const std::string path = ScratchFolder() + name;
    std::ofstream(path, std::ios::binary) << text;
    return path;
}

QJsonObject Json(const TKvctlResult& result)
{
    return QJsonDocument::fromJson(QByteArray::fromStdString(result.out)).object();
}

// The fire frames the standby sent, as "time<TAB>bytes" from its trace, and the time it
// heard the start notice.
struct TTrace {
    std::vector<std::pair<int, std::string>> fired;
    std::vector<std::string> clock;  // the clock messages sent
    int startHeard = -1;
};

TTrace ReadTrace(const std::string& path)
{
    TTrace trace;
    std::istringstream lines(ReadWholeFile(path));
    for (std::string line; std::getline(lines, line);) {
        std::istringstream fields(line);
        int ms = 0;
        std::string direction, bytes;
        fields >> ms >> direction;
        std::getline(fields >> std::ws, bytes);
        if (direction == ">" && bytes.starts_with("84"))
            trace.fired.emplace_back(ms, bytes);
        else if (direction == ">" && bytes.starts_with("90"))
            trace.clock.push_back(bytes);
        else if (direction == "<" && bytes.starts_with("10") && trace.startHeard < 0)
            trace.startHeard = ms;
    }
    return trace;
}

TEST(KvctlStandby, TakesOverASilentPrimaryFiringOnlyWhatItDidNotHearAndNothingEarly)
{
    const std::string show = Write("standby-show.txt", kScenario);
    const std::string silent = "--port=sim:" + Write("standby-silent.ini",
                                                     kPrimary + std::string("Silent=4100\n"));
    const std::string ends = "--port=sim:" + Write("standby-ends.ini",
                                                   std::string(kPrimary) + kPrimaryEnds);
    const std::string trace = ScratchFolder() + "standby-trace.txt";
    const std::string stopTrace = ScratchFolder() + "standby-stop-trace.txt";
    const std::vector<std::string> common{"standby", show, "--addresses=1,2,255", "--json"};
    auto with = [&](const std::vector<std::string>& more) {
        std::vector<std::string> args = common;
        args.insert(args.end(), more.begin(), more.end());
        return args;
    };
    // Ctrl+C between the primary's frames of 1 s and 2 s of show time.
    TKvctlCall stop{with({ends, "--yes", "--trace", stopTrace})};
    stop.interruptAfterMs = kStartMs + 1200;
    const auto results = RunKvctlTogether({
        {with({silent, "--yes", "--trace", trace})},
        {with({ends, "--yes", "--primary", "7"})},
        {with({silent}), "n\n"},
        stop,
    });

    const TKvctlResult& tookOver = results[0];
    EXPECT_EQ(tookOver.status, 0) << tookOver.err;
    QJsonObject json = Json(tookOver);
    EXPECT_TRUE(json["took_over"].toBool()) << tookOver.out << tookOver.err;
    EXPECT_EQ(json["primary_station"].toInt(), 7);
    QJsonObject firing = json["firing"].toObject();
    EXPECT_EQ(firing["fired_on_time"].toInt(), 2);
    EXPECT_EQ(firing["fired_by_other_station"].toInt(), 3);
    EXPECT_EQ(firing["early"].toInt(), 0);
    const TTrace sent = ReadTrace(trace);
    ASSERT_EQ(sent.fired.size(), 2u) << ReadWholeFile(trace);
    ASSERT_GE(sent.startHeard, 0);
    EXPECT_EQ(sent.fired[0].second, "84 02 00 80 00 02");
    EXPECT_EQ(sent.fired[1].second, "84 03 00 80 00 01");
    // Heard a little after the field sent it: a shot before its time would show anyway.
    EXPECT_GE(sent.fired[0].first - sent.startHeard, 2000 - 10);
    EXPECT_GE(sent.fired[1].first - sent.startHeard, 2500 - 10);

    // A primary that ends its show itself leaves the standby nothing to do.
    const TKvctlResult& followed = results[1];
    EXPECT_EQ(followed.status, 0) << followed.err;
    json = Json(followed);
    EXPECT_FALSE(json["took_over"].toBool()) << followed.out << followed.err;
    firing = json["firing"].toObject();
    EXPECT_EQ(firing["fired_by_other_station"].toInt(), 5);
    EXPECT_EQ(firing["fired_on_time"].toInt(), 0);

    // Whether the primary runs this show the bus cannot tell: the operator says so, or nothing
    // is followed.
    const TKvctlResult& declined = results[2];
    EXPECT_EQ(declined.status, 1);
    EXPECT_NE(declined.err.find("нельзя проверить, что основная станция ведёт это же шоу"),
              std::string::npos)
        << declined.err;
    EXPECT_EQ(declined.err.find("Резервная станция следит"), std::string::npos) << declined.err;

    // Ctrl+C on a standby following a show stops that show, on the primary too.
    const TKvctlResult& stopped = results[3];
    json = Json(stopped);
    EXPECT_TRUE(json["stopped"].toBool()) << stopped.out << stopped.err;
    EXPECT_FALSE(json["took_over"].toBool());
    const std::vector<std::string> clock = ReadTrace(stopTrace).clock;
    EXPECT_TRUE(std::any_of(clock.begin(), clock.end(),
                            [](const std::string& bytes) { return bytes.substr(9, 2) == "00"; }))
        << ReadWholeFile(stopTrace);
}

}  // namespace
}  // namespace kv::test
