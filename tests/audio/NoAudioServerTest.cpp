// Started with no reachable audio server: the objects exist, nothing opens, the show goes on
// without sound.
#include "audio/AudioLibrary.h"
#include "audio/BassPlayer.h"
#include "audio/SoundServer.h"
#include "rigs/SoundtrackFiles.h"

#include <gtest/gtest.h>

#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <memory>

namespace kv {
namespace {

TEST(NoAudioServer, ObjectsLiveButNothingOpens)
{
    TSoundtrackFolder folder;
    const std::string file = folder.Make("track.wav", 1, "");
    ASSERT_FALSE(file.empty());

    EXPECT_EQ(AudioObjectCount(), 0);
    auto first = std::make_unique<TBassPlayer>();
    auto second = std::make_unique<TBassPlayer>();
    EXPECT_EQ(AudioObjectCount(), 2);
    EXPECT_FALSE(AudioAvailable());

    first->SetFileName(file);
    first->Open();
    EXPECT_FALSE(first->Loaded());
    EXPECT_EQ(first->TimeLength(), 0);
    first->Seek(500);
    EXPECT_EQ(first->TimePosition(), 0);
    EXPECT_FALSE(first->IsPlaying());

    second.reset();
    first.reset();
    EXPECT_EQ(AudioObjectCount(), 0);
}

// A server that takes the connection and never answers (stopped, or hung) must not hold the
// console's start for good: the probe gives up and the show goes on without sound.
TEST(NoAudioServer, AServerThatNeverAnswersIsNoOutput)
{
    const std::filesystem::path folder =
        std::filesystem::temp_directory_path() / ("kv-silent-server-" + std::to_string(getpid()));
    std::filesystem::create_directories(folder);
    const std::string socketPath = (folder / "native").string();
    const int listener = socket(AF_UNIX, SOCK_STREAM, 0);
    ASSERT_GE(listener, 0);
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    socketPath.copy(address.sun_path, sizeof(address.sun_path) - 1);
    ASSERT_EQ(bind(listener, reinterpret_cast<sockaddr*>(&address), sizeof(address)), 0);
    ASSERT_EQ(listen(listener, 4), 0);
    const char* before = std::getenv("PULSE_SERVER");
    const std::string saved = before ? before : "";
    setenv("PULSE_SERVER", ("unix:" + socketPath).c_str(), 1);

    EXPECT_FALSE(PulseOutputPresent(300));

    if (before)
        setenv("PULSE_SERVER", saved.c_str(), 1);
    else
        unsetenv("PULSE_SERVER");
    close(listener);
    std::filesystem::remove_all(folder);
}

}  // namespace
}  // namespace kv
