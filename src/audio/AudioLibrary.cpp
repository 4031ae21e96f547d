#include "audio/AudioLibrary.h"

#include <QAudioDevice>
#include <QMediaDevices>

namespace kv {

namespace {

int liveObjects = 0;
bool available = false;

}  // namespace

void AcquireAudioLibrary()
{
    if (liveObjects++ == 0)
        available = !QMediaDevices::defaultAudioOutput().isNull();
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
