#include "show/player/run/ShowClock.h"

#include "audio/BassPlayer.h"
#include "show/timecode/TimecodeChase.h"
#include "support/platform/Platform.h"

#include <algorithm>
#include <utility>

namespace kv {

namespace {

// A followed output's heard position runs at most 1000 ppm faster than the system clock
// (the feeder's own bound on catching up), and reads up to 2 ms past the clock's whole
// milliseconds.
constexpr int64_t kFastestOutputShare = 1000;
constexpr int64_t kHeardRoundingMs = 2;

}  // namespace

int32_t ScenarioClock(uint32_t startTick, uint32_t now, int32_t tempo, int32_t startTime,
                      int32_t offset)
{
    // Rounded down: a clock rounded to the nearest millisecond runs up to half a millisecond
    // ahead at a tempo above 100 % and would fire a cue before its moment.
    // Signed: a start tick still to come (the music not heard yet) counts back from it.
    const int64_t scaled = int64_t{static_cast<int32_t>(now - startTick)} * tempo;
    const int64_t elapsed = scaled >= 0 ? scaled / 1000 : -((-scaled + 999) / 1000);
    return static_cast<int32_t>(elapsed + startTime + offset);
}

bool IntervalPassed(uint32_t since, uint32_t now, int32_t interval)
{
    return interval < 0 || now - since >= static_cast<uint32_t>(interval);
}

TShowClock::TShowClock(TBassPlayer& music,
                       std::function<void(int32_t to, uint32_t now)> passOverJump)
    : music_(music), passOverJump_(std::move(passOverJump))
{
}

void TShowClock::Begin(int32_t from, uint32_t now)
{
    startTick_ = now;
    startTime_ = from;
    // Offset included: at from alone, a cue at the start point went at once, before its
    // moment by a negative offset.
    reading_ = At(now);
    source_ = chase_ ? TClockSource::Timecode : TClockSource::Ticks;
    musicAfterSound_ = false;
    outputStalled_ = false;
    lost_ = false;
    timecodeAhead_ = 0;
}

void TShowClock::Follow(TTimecodeChase& chase)
{
    if (chase_ != &chase)
        StopChase();
    chase_ = &chase;
}

void TShowClock::StopChase()
{
    if (chase_)
        chase_->StopFollowing();
    chase_ = nullptr;
    if (source_ == TClockSource::Timecode)
        source_ = TClockSource::Ticks;
}

void TShowClock::DropPendingMusic()
{
    if (source_ == TClockSource::MusicPending)
        source_ = TClockSource::Ticks;
}

void TShowClock::JoinMusic(int32_t position)
{
    source_ = tempo_ == 1000 ? TClockSource::Music : TClockSource::Ticks;
    heardMs_ = position;
}

bool TShowClock::PlayedMusicFrom(int32_t position)
{
    JoinMusic(position);
    const int64_t delayUs = music_.HeardDelayUs();
    if (delayUs <= 0)
        return false;
    // The audience hears the music only after the output's latency. The extra millisecond
    // covers the part of the present one already gone by.
    const uint32_t now = Platform().TickCount();
    startTick_ = now + static_cast<uint32_t>((delayUs + 999) / 1000) + 1;
    startTime_ = position;
    musicAfterSound_ = source_ == TClockSource::Music;
    source_ = TClockSource::AwaitingSound;
    return true;
}

TShowClock::TEvent TShowClock::Update(uint32_t now)
{
    if (chase_)
        FollowTimecode(now);
    reading_ = At(now);
    const bool stalled = NoteOutputStall();
    if (source_ == TClockSource::AwaitingSound)
        HoldUntilHeard(now);
    if (source_ == TClockSource::Music)
        FollowMusic(now);
    return stalled ? TEvent::Stalled : lost_ ? TEvent::Lost : TEvent::None;
}

int32_t TShowClock::Pace() const
{
    // The timecode sets the pace; the tempo is the show's own clock's.
    return chase_ ? 1000 : tempo_;
}

int32_t TShowClock::At(uint32_t tick) const
{
    return ScenarioClock(startTick_, tick, Pace(), startTime_, offset_);
}

TShowClockLook TShowClock::Look(uint32_t now) const
{
    return {At(now), now, Pace(), source_ != TClockSource::Ticks && source_ != TClockSource::MusicPending};
}

bool TShowClock::FollowsSignal() const
{
    return source_ == TClockSource::Music || source_ == TClockSource::Timecode ||
           (source_ == TClockSource::AwaitingSound && musicAfterSound_);
}

void TShowClock::FollowTimecode(uint32_t now)
{
    const TTimecodeChase::TLook look = chase_->Look(now);
    if (look.state == TTimecodeChase::TState::Lost) {
        // The clock stands where the timecode left it until the show stops.
        lost_ = true;
        startTick_ = now;
        timecodeAhead_ = 0;
        return;
    }
    timecodeAhead_ = look.ahead;
    if (look.jumped)
        passOverJump_(look.time + offset_, now);
    startTick_ = now;
    startTime_ = look.time;
}

bool TShowClock::NoteOutputStall()
{
    const bool stalled = music_.Loaded() && music_.OutputStalled();
    const bool news = stalled && !outputStalled_;
    // The show goes on by its ticks from where it is: the music is no guide any more.
    if (news && (source_ == TClockSource::AwaitingSound || source_ == TClockSource::Music))
        source_ = TClockSource::Ticks;
    outputStalled_ = stalled;
    return news;
}

void TShowClock::HoldUntilHeard(uint32_t now)
{
    if (music_.HeardDelayUs() > 0) {
        // The output's latency may grow after the first reading.
        if (static_cast<int32_t>(now - startTick_) >= 0) {
            startTick_ = now + 1;
            reading_ = At(now);
        }
        return;
    }
    source_ = musicAfterSound_ ? TClockSource::Music : TClockSource::Ticks;
    if (static_cast<int32_t>(now - startTick_) < 0) {
        startTick_ = now;  // heard sooner than the first reading said
        reading_ = At(now);
    }
}

void TShowClock::FollowMusic(uint32_t now)
{
    if (!music_.IsPlaying()) {
        // Ended or stopped: the ticks go on from where the music was last heard.
        source_ = TClockSource::Ticks;
        return;
    }
    // A reading further ahead of the clock's own pace since the last one than the output's
    // fastest pace and the two whole milliseconds allow (a misread latency, say) is no guide:
    // the clock goes on at its pace, not in a jump that fires the cues on the way at once.
    const int64_t since = std::max(static_cast<int32_t>(now - startTick_), 0);
    const int64_t paced = At(now) - offset_;
    const int64_t reading = music_.HeardMs();
    const bool likely = reading <= paced + since / kFastestOutputShare + kHeardRoundingMs;
    heardMs_ = std::max(heardMs_, likely ? reading : paced);
    startTick_ = now;
    startTime_ = static_cast<int32_t>(heardMs_);
    reading_ = At(now);
}

uint32_t TShowClock::ReachedTick(int32_t time) const
{
    const int32_t pace = Pace();
    if (pace <= 0)
        return Platform().TickCount();
    const int64_t show = int64_t{time} - startTime_ - offset_;
    const int64_t after = std::clamp<int64_t>(show * 1000 / pace, INT32_MIN, INT32_MAX);
    return startTick_ + static_cast<uint32_t>(static_cast<int32_t>(after));
}

uint32_t TShowClock::DueTick(int32_t time, uint32_t now) const
{
    const int64_t show = int64_t{time} - startTime_ - offset_;
    const int64_t after = show <= 0 ? 0 : (show * 1000 + tempo_ - 1) / tempo_;
    uint32_t due = startTick_ + static_cast<uint32_t>(std::min<int64_t>(after, INT32_MAX));
    // Rounded as the clock rounds: never a tick before it reads time.
    for (int step = 0; step < 3 && At(due) < time; ++step)
        ++due;
    return static_cast<int32_t>(due - now) < 0 ? now : due;
}

void TShowClock::SetTempo(int32_t value, uint32_t now, bool running)
{
    if (running) {
        // Rebased on the clock of this very moment, not of the last tick, and before the
        // autonomous floor at 0, so that neither moves the show.
        startTime_ = At(now) - offset_;
        startTick_ = now;
        // The show now keeps a time of its own, away from the music's.
        if (value != tempo_) {
            musicAfterSound_ = false;
            if (source_ == TClockSource::Music)
                source_ = TClockSource::Ticks;
        }
    }
    tempo_ = value;
}

}  // namespace kv
