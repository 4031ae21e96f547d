// The soundtrack of the show: where it starts, and the clock on the moment it is heard.
#include "show/player/CommonPlayer.h"

#include "support/lang/Localizer.h"
#include "support/platform/Platform.h"

namespace kv {

bool TCommonPlayer::LoadSoundtrack(const std::string& file)
{
    UnloadSoundtrack();
    soundtrack_.SetFileName(file);
    soundtrack_.Open();
    if (!soundtrack_.Loaded())
        Platform().MessageBox(Localize(90, "Ошибка загрузки фонограммы"), Localize(91, "Ошибка"),
                              TButtons::Ok);
    return soundtrack_.Loaded();
}

void TCommonPlayer::UnloadSoundtrack()
{
    if (soundtrack_.Loaded())
        soundtrack_.Close();
}

void TCommonPlayer::BeginMusic(int32_t from, bool joinSoundtrack)
{
    const bool music = soundtrack_.Loaded() && !Chased();
    if (joinSoundtrack && music)
        clock_.JoinMusic(from);
    if (Chased() && soundtrack_.Loaded() && soundtrack_.IsPlaying())
        soundtrack_.StopPlaying();
    if (joinSoundtrack || !music)
        return;
    // Started at once, the music would run ahead of the show by the start point.
    if (from >= 0) {
        PlaySoundtrackFrom(from);
        return;
    }
    clock_.HoldMusic();
    if (soundtrack_.IsPlaying())
        soundtrack_.StopPlaying();
}

void TCommonPlayer::StartPendingSoundtrack()
{
    // The offset moves the scenario against the music, as at any other start point.
    const int32_t position = clock_.Reading() - Offset();
    if (clock_.Source() != TClockSource::MusicPending || position < 0)
        return;
    clock_.DropPendingMusic();
    if (soundtrack_.Loaded())
        PlaySoundtrackFrom(position);
}

void TCommonPlayer::PlaySoundtrackFrom(int32_t position)
{
    soundtrack_.PlayFrom(position);
    if (clock_.PlayedMusicFrom(position))
        UpdateClock(Platform().TickCount());
}

}  // namespace kv
