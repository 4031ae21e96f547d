// The timecode a slot's show is cued to: a show package brings the desk's zero and rate with
// it, a plain scenario keeps kvshow.ini's. Taken only when a wait is armed, so that nothing
// loaded or set later moves the start of a wait or a show already following the desk.
#include "console/mainwindow/MainForm.h"

#include "show/player/ExtPlayer.h"
#include "show/session/ShowSession.h"
#include "show/timecode/TimecodeArm.h"
#include "show/timecode/TimecodeReceiver.h"
#include "support/lang/AddedMessages.h"

namespace kv {

void TMainForm::MakeTimecodeReceiver(const TTimecodeSettings& settings)
{
    // The wait holds the chase of the receiver it polls.
    timecodeArm_.reset();
    timecode_ = std::make_unique<TTimecodeReceiver>(settings);
    timecodeArm_ = session_->MakeTimecodeArm(timecode_->Chase(), [this] { TimecodeReached(); },
                                             [this] { TimecodeRefused(); });
}

TTimecodeSettings TMainForm::SlotTimecode() const
{
    TTimecodeSettings settings = ReadTimecodeSettings(ini_);
    const TSlotRecord& record = slotRecords_[static_cast<size_t>(currentSlot_)];
    settings.zero = record.timecodeZero.value_or(settings.zero);
    settings.rate = record.timecodeRate.value_or(settings.rate);
    return settings;
}

std::string TMainForm::SlotTimecodeText() const
{
    const TTimecodeSettings settings = SlotTimecode();
    const TSlotRecord& record = slotRecords_[static_cast<size_t>(currentSlot_)];
    const bool packaged = record.timecodeZero || record.timecodeRate;
    return FormatTimecode(settings.zero, settings.rate == TTimecodeRate::Fps2997Drop) + ", " +
           TimecodeRateName(settings.rate) + ", " +
           Localize(packaged ? kMsgTimecodeZeroOfPackage : kMsgTimecodeZeroOfSettings);
}

void TMainForm::UseSlotTimecode()
{
    if (timecodeArm_->Armed() || player_->Chased())
        return;
    const TTimecodeSettings wanted = SlotTimecode();
    const TTimecodeSettings& used = timecode_->Settings();
    if (wanted.zero != used.zero || wanted.rate != used.rate)
        MakeTimecodeReceiver(wanted);
}

}  // namespace kv
