// Started with no reachable audio server: the objects exist, nothing opens, the show goes on
// without sound.
#include "audio/AudioLibrary.h"
#include "audio/BassPlayer.h"
#include "audio/SoundtrackFiles.h"

#include <gtest/gtest.h>

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

}  // namespace
}  // namespace kv
