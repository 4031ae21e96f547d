#include "audio/AudioLibrary.h"

#include "audio/SoundServer.h"

namespace kv {

namespace {

// A server that takes the connection but does not answer holds the start this long at most.
constexpr int kProbeWaitMs = 2000;

int liveObjects = 0;
bool available = false;

}  // namespace

void AcquireAudioLibrary()
{
    if (liveObjects++ == 0)
        available = PulseOutputPresent(kProbeWaitMs);
}

void ReleaseAudioLibrary()
{
    if (liveObjects > 0 && --liveObjects == 0)
        available = false;
}

bool AudioAvailable()
{
    return available;
}

int AudioObjectCount()
{
    return liveObjects;
}

}  // namespace kv
