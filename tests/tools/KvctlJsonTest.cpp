// kvctl --json: each command's object parsed and checked against what the simulated field
// holds (its file, tests/tools/kvctl-field.ini) and against the command's plain output.
#include "rigs/KvctlRun.h"

#include <gtest/gtest.h>

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

#include <fstream>

namespace kv::test {
namespace {

const std::string kField = "--port=sim:" KV_TOOLS_TEST_DIR "/kvctl-field.ini";
const std::string kShow = KV_TOOLS_TEST_DIR "/kvctl-show.txt";

QJsonObject Parsed(const TKvctlResult& result)
{
    QJsonParseError error{};
    const QJsonDocument document =
        QJsonDocument::fromJson(QByteArray::fromStdString(result.out), &error);
    EXPECT_EQ(error.error, QJsonParseError::NoError) << result.out << result.err;
    EXPECT_TRUE(document.isObject()) << result.out;
    return document.object();
}

std::string TempFile(const std::string& name, const std::string& text)
{
    const std::string path = ScratchFolder() + name;
    std::ofstream(path, std::ios::binary) << text;
    return path;
}

QJsonArray Numbers(std::initializer_list<int> values)
{
    QJsonArray array;
    for (const int value : values)
        array.append(value);
    return array;
}

TEST(KvctlJson, BusCommandsTellTheFieldAsItIs)
{
    const std::string continuity =
        TempFile("json-continuity.txt", "0:01.00\t1\t3\n0:01.00\t2\t1\n0:03.00\t9\t1\n");
    const std::string report = ScratchFolder() + "json-show.csv";
    // The search alone: beside three other runs a loaded machine may hand an answer over late.
    const QJsonArray devices =
        Parsed(RunKvctl({kField, "search", "--addresses=255,20,1-2", "--json"}))["devices"].toArray();
    const auto results = RunKvctlTogether(
        {{{kField, "test", "1", "2", "--addresses=1,2", "--scenario", continuity, "--json"}},
         {{kField, "gonogo", continuity, "--addresses=1,2", "--json"}},
         {{kField, "--yes", "show", kShow, "--addresses=1,2,20", "--report", report, "--json"}}});

    // Module 2 is on the second converter; 255 is station 77.
    ASSERT_EQ(devices.size(), 4);
    const QJsonObject second = devices[1].toObject();
    EXPECT_EQ(second["address"].toInt(), 2);
    EXPECT_EQ(second["firmware"].toString(), "36B");
    EXPECT_EQ(second["channel_count"].toInt(), 8);
    EXPECT_EQ(second["converter"].toInt(), 2);
    EXPECT_EQ(devices[2].toObject()["kind_letter"].toString(), "Q");
    EXPECT_EQ(devices[3].toObject()["station_id"].toInt(), 77);
    EXPECT_TRUE(devices[0].toObject()["station_id"].isNull());

    // Channel 3 of module 1 and channel 8 of module 2 are open; module 9 is not there.
    EXPECT_EQ(results[0].status, 1);
    const QJsonObject tested = Parsed(results[0]);
    EXPECT_TRUE(tested["completed"].toBool());
    const QJsonArray modules = tested["modules"].toArray();
    ASSERT_EQ(modules.size(), 2);
    EXPECT_EQ(modules[0].toObject()["connected_channels"].toArray(), Numbers({1, 2, 4, 5, 6, 7, 8}));
    EXPECT_EQ(modules[1].toObject()["connected_channels"].toArray(), Numbers({1, 2, 3, 4, 5, 6, 7}));
    const QJsonObject report1 = tested["continuity"].toObject();
    EXPECT_EQ(report1["will_not_fire"].toInt(), 2);
    const QJsonObject first = report1["modules"].toArray()[0].toObject();
    EXPECT_EQ(first["address"].toInt(), 1);
    EXPECT_EQ(first["will_not_fire"].toArray()[0].toObject()["channel"].toInt(), 3);
    EXPECT_EQ(first["will_not_fire"].toArray()[0].toObject()["finding"].toString(), "open");

    EXPECT_EQ(results[1].status, 1);
    const QJsonObject gonogo = Parsed(results[1]);
    EXPECT_FALSE(gonogo["go"].toBool());
    const QJsonObject worst = gonogo["findings"].toArray()[0].toObject();
    EXPECT_EQ(worst["level"].toString(), "stop");
    EXPECT_TRUE(worst["found"].toString().endsWith(": 9")) << worst["found"].toString().toStdString();

    // The show's summary, and the same figures from its report file; no log lines.
    EXPECT_EQ(results[2].status, 0) << results[2].err;
    const QJsonObject show = Parsed(results[2]);
    EXPECT_TRUE(show["completed"].toBool());
    EXPECT_FALSE(show["stopped"].toBool());
    const QJsonObject firing = show["firing"].toObject();
    EXPECT_EQ(firing["cues"].toInt(), 5);
    EXPECT_EQ(firing["fired_on_time"].toInt(), 5);
    EXPECT_EQ(firing["missed"].toInt(), 0);
    EXPECT_GE(firing["lateness_max_ms"].toInt(), firing["lateness_median_ms"].toInt());
    EXPECT_EQ(firing["missed_by_reason"].toObject()["module absent"].toInt(), 0);
    EXPECT_EQ(Parsed(RunKvctl({"report", report, "--json"})), firing);
}

TEST(KvctlJson, FileCommandsCountChannelsFromOne)
{
    const std::string scenario = TempFile("json-cues.txt", "0:02.00\t1\t3\tlate\n0:01.50\t7\t4\n");
    const QJsonArray cues = Parsed(RunKvctl({"scenario", scenario, "--json"}))["cues"].toArray();
    ASSERT_EQ(cues.size(), 2);
    const QJsonObject cue = cues[1].toObject();
    EXPECT_EQ(cue["cue"].toInt(), 2);
    EXPECT_EQ(cue["time_ms"].toInt(), 2000);
    EXPECT_EQ(cue["module"].toInt(), 1);
    EXPECT_EQ(cue["channel"].toInt(), 3);
    EXPECT_EQ(cue["kind"].toString(), "fire");

    const std::string script = TempFile("json-import.csv", "Time;Module;Pin;Prefire;Effect;Position\r\n"
                                                           "2,5;3;4;0,5;Red peony;Front\r\n"
                                                           "later;3;5;;Comet;Back\r\n");
    const std::string out = ScratchFolder() + "json-imported.txt";
    const auto result = RunKvctl({"import", script, "--out", out, "--json"});
    EXPECT_EQ(result.status, 1) << "a row refused, not --partial";
    const QJsonObject imported = Parsed(result);
    EXPECT_EQ(imported["format"].toString(), "plain");
    EXPECT_FALSE(imported["written"].toBool());
    const QJsonObject peony = imported["cues"].toArray()[0].toObject();
    EXPECT_EQ(peony["time_ms"].toInt(), 2000);
    EXPECT_EQ(peony["effect_time_ms"].toInt(), 2500);
    EXPECT_EQ(peony["channel"].toInt(), 4);
    EXPECT_EQ(peony["position"].toString(), "Front");
    EXPECT_EQ(imported["refused"].toArray()[0].toObject()["line"].toInt(), 3);
}

}  // namespace
}  // namespace kv::test
