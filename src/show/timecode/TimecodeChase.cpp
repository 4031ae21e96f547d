#include "show/timecode/TimecodeChase.h"

#include "support/lang/AddedMessages.h"
#include "support/log/RunLog.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>

namespace kv {

namespace {

// Frames' length may stray this far from the rate's (a desk's varispeed, a sound card's
// clock); 24 and 25 frames lie 4 % apart.
constexpr double kLengthTolerance = 0.018;
// Frames whose track is confirmed by the next one while locked: a desk's jump is followed,
// a single stray frame never.
constexpr int kConfirmFrames = 2;
// A silence this long makes the next frame the first of a new signal.
constexpr int32_t kSilenceMs = 1000;
// A frame is known once it has passed and the capture handed its last block over, which a
// loaded machine may do this late; a frame not heard by then is missing.
constexpr int64_t kCaptureLagMs = 100;

int32_t PeriodMs(TTimecodeRate rate)
{
    return static_cast<int32_t>(FramePeriodUs(rate) / 1000);
}

std::string RateText(TTimecodeRate rate)
{
    return TimecodeRateName(rate);
}

}  // namespace

TTimecodeChase::TTimecodeChase(TTimecodeInput& input, const TTimecodeSettings& settings)
    : input_(input), settings_(settings)
{
}

void TTimecodeChase::Poll(uint32_t now)
{
    int64_t runUs = 0;
    for (const TTimecodeFrame& frame : input_.Take(runUs))
        Take(frame, now);
    runUs_ = runOnTrack_ ? runUs : 0;
    CheckLoss(now);
    while (!goodTicks_.empty() && static_cast<int32_t>(now - goodTicks_.front()) >= 2000)
        goodTicks_.pop_front();
}

void TTimecodeChase::CountGood(uint32_t startTick)
{
    goodTicks_.push_back(startTick);
}

TTimecodeRate TTimecodeChase::RateOf(const TTimecodeFrame& frame)
{
    TTimecodeRate heard = TTimecodeRate::Auto;
    if (frame.dropFrame) {
        heard = TTimecodeRate::Fps2997Drop;
    } else {
        for (const TTimecodeRate rate :
             {TTimecodeRate::Fps24, TTimecodeRate::Fps25, TTimecodeRate::Fps30})
            if (std::abs(frame.lengthUs / static_cast<double>(FramePeriodUs(rate)) - 1.0) <
                kLengthTolerance)
                heard = rate;
    }
    if (heard == TTimecodeRate::Fps2997Drop &&
        std::abs(frame.lengthUs / static_cast<double>(FramePeriodUs(heard)) - 1.0) >=
            kLengthTolerance)
        heard = TTimecodeRate::Auto;
    if (heard == TTimecodeRate::Auto || settings_.rate == TTimecodeRate::Auto ||
        heard == settings_.rate)
        return heard;
    if (!wrongRateLogged_) {
        WriteLog(Localize(kMsgTimecodeWrongRate) + " " + RateText(heard) + " (" +
                 RateText(settings_.rate) + ")");
        wrongRateLogged_ = true;
    }
    return TTimecodeRate::Auto;
}

bool TTimecodeChase::Continues(const TTrack& track, int64_t index, uint32_t startTick,
                               TTimecodeRate rate) const
{
    if (track.frames == 0 || rate != track.rate)
        return false;
    const double steps = static_cast<double>(static_cast<int32_t>(startTick - track.startTick)) *
                         1000.0 / static_cast<double>(FramePeriodUs(rate));
    const auto frames = static_cast<int64_t>(std::llround(steps));
    return frames >= 1 && index == track.index + frames;
}

void TTimecodeChase::Take(const TTimecodeFrame& frame, uint32_t now)
{
    runOnTrack_ = false;
    const TTimecodeRate rate = RateOf(frame);
    if (rate == TTimecodeRate::Auto || !ValidLabel(frame.label, rate))
        return;
    const bool afterSilence =
        !lastFrameTick_ || static_cast<int32_t>(frame.startTick - *lastFrameTick_) > kSilenceMs;
    if (afterSilence)
        signalSince_ = frame.startTick;
    lastFrameTick_ = frame.startTick;
    // Backwards the timecode only says where the desk is going back to: the clock holds.
    if (frame.reverse) {
        CountGood(frame.startTick);
        if (state_ != TState::Searching && rate == rate_)
            signalTick_ = now;
        candidate_.frames = 0;
        return;
    }
    const int64_t index = FrameIndex(frame.label, rate);
    // A desk standing still repeats its frame: the lock holds, and so does the clock (a loss
    // would let it freewheel on past the desk).
    if (state_ == TState::Locked && rate == track_.rate && index == track_.index) {
        signalTick_ = now;
        CountGood(frame.startTick);
        candidate_ = track_;
        return;
    }
    // A sender stopped with frames of its running clock queued stands a frame or two behind
    // them: its repeats keep the lock, and once confirmed they are the track (held, as any
    // confirmed step back).
    if (state_ == TState::Locked && rate == candidate_.rate && index == candidate_.index &&
        index != track_.index) {
        signalTick_ = now;
        CountGood(frame.startTick);
        if (++candidate_.frames >= kConfirmFrames)
            Lock(now);
        return;
    }
    if (state_ == TState::Locked && Continues(track_, index, frame.startTick, rate)) {
        track_ = {index, frame.startTick, now, track_.frames + 1, rate, track_.firstIndex,
                  track_.firstTick};
        candidate_ = track_;
        runOnTrack_ = true;
        signalTick_ = now;
        CountGood(frame.startTick);
        return;
    }
    if (Continues(candidate_, index, frame.startTick, rate)) {
        candidate_ = {index, frame.startTick, now, candidate_.frames + 1, rate,
                      candidate_.firstIndex, candidate_.firstTick};
        CountGood(frame.startTick);
    } else {
        candidate_ = {index, frame.startTick, now, 1, rate, index, frame.startTick};
        if (afterSilence)
            CountGood(frame.startTick);
    }
    if (candidate_.frames >= (state_ == TState::Locked ? kConfirmFrames : settings_.lockFrames))
        Lock(now);
}

void TTimecodeChase::Lock(uint32_t now)
{
    const bool newTrack = state_ == TState::Locked;
    // Back from a freewheel the clock lags by the loss's detection: the step is the desk's,
    // measured against its old track, not the clock's.
    const bool returning = state_ == TState::Freewheel;
    if ((newTrack || returning) && candidate_.rate == track_.rate) {
        // Where the old track would have been when the new one began.
        const int32_t old = ShowMs(track_.index, rate_) +
                            static_cast<int32_t>(candidate_.firstTick - track_.startTick);
        trackJump_ = ShowMs(candidate_.firstIndex, rate_) - old;
    }
    track_ = candidate_;
    runOnTrack_ = true;
    rate_ = track_.rate;
    signalTick_ = now;
    state_ = TState::Locked;
    if (rate_ != loggedRate_) {
        WriteLog(Localize(kMsgTimecodeRate) + " " + RateText(rate_));
        loggedRate_ = rate_;
    }
    if (!newTrack) {
        ++record_.locks;
        WriteLog(Localize(kMsgTimecodeLocked) + " " + FormatTimecode(Label(), DropFrame()) +
                 QualityText(now));
    }
    if (following_ && *Heard(now) < shown_) {
        WriteLog(Localize(kMsgTimecodeBack) + " " + FormatTimecode(LabelOfShowMs(shown_), DropFrame()) +
                 " (" + FormatTimecode(Label(), DropFrame()) + ")");
    }
}

void TTimecodeChase::CheckLoss(uint32_t now)
{
    if (state_ == TState::Locked &&
        static_cast<int32_t>(now - signalTick_) > settings_.unlockFrames * PeriodMs(rate_)) {
        ++record_.losses;
        WriteLog(Localize(kMsgTimecodeLost) + " " + FormatTimecode(Label(), DropFrame()) +
                 QualityText(now));
        if (!following_) {
            state_ = TState::Searching;
        } else if (settings_.onLoss == TTimecodeLoss::Freewheel && settings_.freewheelMs > 0) {
            state_ = TState::Freewheel;
            freewheelTick_ = now;
            freewheelFrom_ = shown_;
            WriteLog(Localize(kMsgTimecodeFreewheel) + " " + std::to_string(settings_.freewheelMs));
        } else {
            state_ = TState::Lost;
        }
    }
    if (state_ == TState::Freewheel &&
        static_cast<int32_t>(now - freewheelTick_) > settings_.freewheelMs)
        state_ = TState::Lost;
}

int32_t TTimecodeChase::ShowMs(int64_t index, TTimecodeRate rate) const
{
    return static_cast<int32_t>(FrameStartMs(index, rate) -
                                FrameStartMs(FrameIndex(settings_.zero, rate), rate));
}

TTimecodeLabel TTimecodeChase::LabelOfShowMs(int32_t ms) const
{
    const int64_t zero = FrameStartMs(FrameIndex(settings_.zero, rate_), rate_);
    int64_t index = FrameAtMs(zero + ms, rate_);
    // The chase dates frames by their start rounded down to the millisecond, so a frame that
    // begins a fraction into ms has begun at ms here.
    if (FrameStartMs(index + 1, rate_) <= zero + ms)
        ++index;
    return LabelAt(std::max<int64_t>(index, 0), rate_);
}

std::optional<int32_t> TTimecodeChase::Heard(uint32_t now) const
{
    if (state_ != TState::Locked)
        return std::nullopt;
    const int32_t begin = ShowMs(track_.index, rate_);
    // The next frame's first moment is not heard until that frame is, unless the signal
    // after this one was; nor the moment after the next frame's end until a frame is decoded.
    int32_t last = ShowMs(track_.index + 1, rate_) - begin - 1;
    if (TrustsRun())
        last = std::max(last, static_cast<int32_t>(std::min<int64_t>(
                                  runUs_ / 1000, ShowMs(track_.index + 2, rate_) - begin - 1)));
    // A frame dated after now (a monitor hands samples over before its sink plays them) is
    // not begun yet: the clock reads before it.
    return begin + std::min(static_cast<int32_t>(now - track_.startTick), last);
}

bool TTimecodeChase::TrustsRun() const
{
    return settings_.withinFrame && settings_.onLoss == TTimecodeLoss::Freewheel &&
           settings_.freewheelMs > 0;
}

TTimecodeLabel TTimecodeChase::Label() const
{
    return LabelAt(track_.index, rate_);
}

int TTimecodeChase::Quality(uint32_t now) const
{
    const int64_t period = FramePeriodUs(rate_ == TTimecodeRate::Auto ? candidate_.rate : rate_);
    if (period == 0)
        return 0;
    // The last second of frames that can be known by now, from the signal's start at most:
    // up to the last frame heard, or to where one is overdue.
    const auto periodMs = static_cast<uint32_t>(period / 1000);
    uint32_t end = now - periodMs - static_cast<uint32_t>(kCaptureLagMs);
    if (lastFrameTick_ && static_cast<int32_t>(*lastFrameTick_ + periodMs - end) > 0)
        end = *lastFrameTick_ + periodMs;
    const int32_t span = std::min<int32_t>(1000, static_cast<int32_t>(end - signalSince_));
    const int64_t expected = std::llround(span * 1000.0 / static_cast<double>(period));
    if (expected <= 0)
        return 0;
    const auto good = std::count_if(goodTicks_.begin(), goodTicks_.end(), [&](uint32_t tick) {
        const auto before = static_cast<int32_t>(end - tick);
        return before > 0 && before <= span;
    });
    return static_cast<int>(std::min<int64_t>(100, good * 100 / expected));
}

std::string TTimecodeChase::QualityText(uint32_t now) const
{
    return "; " + Localize(kMsgTimecodeQuality) + " " + std::to_string(Quality(now));
}

void TTimecodeChase::Follow(int32_t from, uint32_t now)
{
    following_ = true;
    shown_ = from;
    trackJump_.reset();
    lookedTrack_.reset();
    Poll(now);
}

TTimecodeChase::TLook TTimecodeChase::Look(uint32_t now)
{
    Poll(now);
    TLook look;
    look.state = state_;
    if (following_) {
        record_.lastQuality = Quality(now);
        record_.lowestQuality = std::min(record_.lowestQuality.value_or(100), *record_.lastQuality);
    }
    if (following_ && state_ == TState::Locked) {
        const int32_t target = *Heard(now);
        // A new track is measured by its own step. The track the clock was last given from
        // ran on without a break: a late look (the main thread or the capture held up) is no
        // jump, and its cues are late, not passed over. Otherwise the clock's way to the
        // timecode is the step (a start far past the start point, a rate changed on return).
        const bool sameTrack = lookedTrack_ == track_.firstTick;
        const bool beyond = trackJump_ ? *trackJump_ > settings_.jumpLimitMs
                                       : !sameTrack && target > shown_ + settings_.jumpLimitMs;
        trackJump_.reset();
        lookedTrack_ = track_.firstTick;
        if (beyond && target > shown_) {
            look.jumped = true;
            look.jumpFrom = shown_;
            WriteLog(Localize(kMsgTimecodeJump) + " " +
                     FormatTimecode(LabelOfShowMs(shown_), DropFrame()) + " -> " +
                     FormatTimecode(Label(), DropFrame()));
        }
        shown_ = std::max(shown_, target);
        look.ahead = ShowMs(track_.index, rate_) + static_cast<int32_t>(now - track_.startTick) -
                     shown_;
    } else if (following_ && state_ == TState::Freewheel) {
        shown_ = std::max(shown_, freewheelFrom_ + static_cast<int32_t>(now - freewheelTick_));
    }
    look.time = shown_;
    return look;
}

}  // namespace kv
