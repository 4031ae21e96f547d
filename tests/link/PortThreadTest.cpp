// The port thread on real time: it sleeps until a converter has bytes, hangs up or comes due
// on the simulated field, or until it is left work; it never looks on a tick of its own.
#include "field/file/FieldFile.h"
#include "field/bus/FieldPort.h"
#include "field/bus/WireFrame.h"
#include "link/FrameCheck.h"
#include "link/PortProto.h"
#include "rigs/PtyConverter.h"
#include "link/UsbPort.h"
#include "support/text/IniFile.h"

#include <gtest/gtest.h>

#include <atomic>
#include <memory>
#include <utility>
#include <vector>

namespace kv {
namespace {

using test::TempLink;
using test::TPtyConverter;
using test::WaitFor;

// Each look of the thread at the converters asks how many bytes wait.
template <class TTransport>
class TCounted : public TTransport {
public:
    using TTransport::TTransport;
    int BytesAvailable() override
    {
        ++looks;
        return TTransport::BytesAvailable();
    }
    std::atomic<int> looks{0};
};

class TFrames {
public:
    explicit TFrames(TPort& port)
    {
        port.OnFrameFrom = [this](const TFrameRecord& record, int converter) {
            seen.push_back({record, converter});
        };
    }
    bool Wait() { return WaitFor([this] { return !seen.empty(); }, 2000); }
    std::vector<std::pair<TFrameRecord, int>> seen;
};

// Looks at the converters within limitMs of rest.
template <class TTransport>
int LooksAtRest(TCounted<TTransport>& counted, uint32_t limitMs)
{
    WaitFor([] { return false; }, 50);
    const int before = counted.looks;
    WaitFor([] { return false; }, limitMs);
    return counted.looks - before;
}

const TFrameRecord kAnnouncement{0x70, 'O', 'k', 0, 16, 12};

TWireFrame AnnouncementOnTheLine()
{
    TWireFrame wire{};
    std::copy(kAnnouncement.begin(), kAnnouncement.end(), wire.begin());
    wire[6] = FrameCheck(kAnnouncement.data(), kAnnouncement.size());
    return wire;
}

TEST(PortThreadOnTerminals, SleepsAtRestAndWakesForAFrameOnEitherConverter)
{
    const auto firstLink = TempLink("thread-first");
    const auto secondLink = TempLink("thread-second");
    TPtyConverter first(firstLink);
    TPtyConverter second(secondLink);
    first.Plug();
    second.Plug();
    auto transport = std::make_unique<TCounted<TUSBPort>>(
        TPort::kMaxConverters, firstLink.string() + "," + secondLink.string());
    auto& counted = *transport;
    TPortProto port(std::move(transport));
    TFrames frames(port);
    ASSERT_TRUE(port.Start());
    ASSERT_EQ(port.ConverterCount(), 2);

    EXPECT_LE(LooksAtRest(counted, 500), 1) << "the thread looked with nothing on the line";
    second.Send({kAnnouncement.begin(), kAnnouncement.end()});
    ASSERT_TRUE(frames.Wait());
    EXPECT_EQ(frames.seen[0].first, kAnnouncement);
    EXPECT_EQ(frames.seen[0].second, 1);
    port.Stop();
}

TEST(PortThreadOnTerminals, BytesThatCameWhileReceiveWasOffAreReadOnceItIsBackOn)
{
    const auto link = TempLink("thread-receive");
    TPtyConverter converter(link);
    converter.Plug();
    TPortProto port(std::make_unique<TUSBPort>(TPort::kMaxConverters, link.string()));
    TFrames frames(port);
    ASSERT_TRUE(port.Start());

    port.ReceiveEnabled = false;
    converter.Send({kAnnouncement.begin(), kAnnouncement.end()});
    WaitFor([] { return false; }, 200);
    EXPECT_TRUE(frames.seen.empty());
    // Nothing new arrives: switching receive back on is what must wake the thread.
    port.ReceiveEnabled = true;
    ASSERT_TRUE(frames.Wait()) << "the thread slept on";
    EXPECT_EQ(frames.seen[0].first, kAnnouncement);
    port.Stop();
}

class PortThreadOnField : public ::testing::Test {
protected:
    PortThreadOnField()
    {
        std::string problem;
        EXPECT_EQ(BuildField(TIniFile::Parse("[field]\nConverters=2\n[device1]\nKind=module\n"
                                             "Address=3\nConverter=1\n"),
                             *field, problem),
                  0)
            << problem;
        auto transport = std::make_unique<TCounted<TFieldPort>>(field);
        counted = transport.get();
        port = std::make_unique<TPortProto>(std::move(transport));
    }
    ~PortThreadOnField() override { port->Stop(); }

    std::shared_ptr<TField> field = std::make_shared<TField>();
    TCounted<TFieldPort>* counted = nullptr;
    std::unique_ptr<TPortProto> port;
};

// No descriptor turns readable for these bytes: the field says when they will have arrived.
TEST_F(PortThreadOnField, SleepsAtRestAndWakesForAFrameTheFieldDeliversLater)
{
    TFrames frames(*port);
    ASSERT_TRUE(port->Start());
    EXPECT_LE(LooksAtRest(*counted, 300), 1) << "the thread looked with nothing on the line";

    field->InjectFrame(1, field->ElapsedMs() + 100, AnnouncementOnTheLine());
    ASSERT_TRUE(frames.Wait());
    EXPECT_EQ(frames.seen[0].first, kAnnouncement);
    EXPECT_EQ(frames.seen[0].second, 1);

    // A command and its reply: the thread takes nothing of the reply, and rests again after.
    int version = 0;
    EXPECT_EQ(port->QueryVersion(3, 1, -1, version), kLinkOk);
    EXPECT_LE(LooksAtRest(*counted, 300), 1);
    EXPECT_EQ(frames.seen.size(), 1u);
}

TEST_F(PortThreadOnField, AConverterPulledOutLaterIsLostAndComesBack)
{
    std::atomic<int> lost{0};
    std::atomic<int> back{0};
    port->OnConverterLost = [&] { ++lost; };
    port->OnConverterBack = [&] { ++back; };
    ASSERT_TRUE(port->Start());
    const int64_t now = field->ElapsedMs();
    for (int converter = 0; converter < 2; ++converter) {
        field->Unplug(converter, now + 100);
        field->Plug(converter, now + 400);
    }
    ASSERT_TRUE(WaitFor([&] { return lost == 1; }, 2000)) << "the loss went unnoticed";
    ASSERT_TRUE(WaitFor([&] { return back == 1; }, 2000));
    EXPECT_EQ(port->ConverterCount(), 2);
    int version = 0;
    EXPECT_EQ(port->QueryVersion(3, 1, -1, version), kLinkOk);
    EXPECT_EQ(lost, 1);
}

// A rehearsal swaps the converters for the field while the thread sleeps on the converters.
TEST_F(PortThreadOnField, AfterASwapTheThreadSleepsOnTheNewTransport)
{
    const auto link = TempLink("thread-swapped");
    TPtyConverter converter(link);
    converter.Plug();
    TPortProto swapped(std::make_unique<TUSBPort>(TPort::kMaxConverters, link.string()));
    TFrames frames(swapped);
    ASSERT_TRUE(swapped.Start());
    WaitFor([] { return false; }, 50);
    auto converters = swapped.SwapTransport(std::make_unique<TFieldPort>(field));

    field->InjectFrame(1, field->ElapsedMs() + 50, AnnouncementOnTheLine());
    ASSERT_TRUE(frames.Wait()) << "the thread slept on the old descriptors";
    EXPECT_EQ(frames.seen[0].second, 1);
    swapped.Stop();
}

}  // namespace
}  // namespace kv
