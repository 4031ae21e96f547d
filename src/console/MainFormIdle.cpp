// The device poll between shows and in a show's quiet gaps: one device a step, and the
// check of the channels fired last.
#include "console/MainForm.h"

#include "devices/CommonDevice.h"
#include "devices/Controls.h"
#include "show/ExtPlayer.h"

namespace kv {

void TMainForm::IdleTimerTimer()
{
    if (pollIndex_ < controls_->Count())
        controls_->DeviceAt(pollIndex_)->Poll();
    ++pollIndex_;
    if (pollIndex_ >= controls_->Count())
        pollIndex_ = 0;
    if (player_->HasUnchecked() && !player_->IsRunning() && !testRunning_ && !searching_)
        player_->CheckNext();
}

}  // namespace kv
