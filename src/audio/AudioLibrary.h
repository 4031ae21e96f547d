#pragma once
// What every soundtrack object shares: the count of live objects and whether sound can play.
// The first object looks for the output device; the last one lets it go. All calls come from
// the main thread.

namespace kv {

void AcquireAudioLibrary();
void ReleaseAudioLibrary();
// False when no audio server or output device was there when the first object was made;
// the show then runs without sound.
bool AudioAvailable();
int AudioObjectCount();

}  // namespace kv
