// The eight slots across restarts: their files are kept in the state file whenever they
// change, and come back at the first showing of the window; a file changed since is loaded
// only on the operator's word, and a file gone is named, never passed over in silence.
#include "console/mainwindow/MainForm.h"

#include "console/app/SlotMemory.h"
#include "show/player/ExtPlayer.h"
#include "support/lang/AddedMessages.h"
#include "support/platform/Platform.h"
#include "support/log/RunLog.h"

namespace kv {

void TMainForm::KeepSlotFiles()
{
    const TSlotRecord& record = slotRecords_[static_cast<size_t>(currentSlot_)];
    slotMemory_->Keep(currentSlot_, record.scenarioFile, record.soundtrackFile);
}

bool TMainForm::KeptFileUsable(const TKeptFile& kept, std::string& gone)
{
    switch (TSlotMemory::Since(kept)) {
    case TFileSince::Same:
        return true;
    case TFileSince::Gone:
        gone += "\n" + kept.file;
        return false;
    case TFileSince::Changed:
        break;
    }
    return Platform().MessageBox(Localize(kMsgSlotFileChanged) + "\n" + kept.file, "Korvane",
                                 TButtons::YesNo) == TAnswer::Yes;
}

void TMainForm::RestoreSlots()
{
    std::string gone;
    const int current = currentSlot_;
    const int32_t tempo = player_->Tempo();
    const int32_t offset = player_->Offset();
    for (int slot = 0; slot < TProjects::kSlotCount; ++slot) {
        const TKeptSlot kept = slotMemory_->Kept(slot);
        if (kept.scenario.file.empty() && kept.soundtrack.file.empty())
            continue;
        SwitchSlot(slot);
        const TSlotRecord& record = slotRecords_[static_cast<size_t>(slot)];
        if (!kept.scenario.file.empty() && KeptFileUsable(kept.scenario, gone))
            OpenScenarioFile(kept.scenario.file);
        // The music of a scenario left out stays out with it; a package brings its own.
        const bool scenarioBack = kept.scenario.file.empty() || !record.scenarioFile.empty();
        if (scenarioBack && !kept.soundtrack.file.empty() &&
            kept.soundtrack.file != record.soundtrackFile &&
            KeptFileUsable(kept.soundtrack, gone)) {
            player_->LoadSoundtrack(kept.soundtrack.file);
            KeepSoundtrackInSlot();
        }
        const std::string slotName = std::to_string(slot + 1) + ":";
        for (const TKeptFile* file : {&kept.scenario, &kept.soundtrack}) {
            if (file->file.empty())
                continue;
            const bool back = file->file == record.scenarioFile || file->file == record.soundtrackFile;
            WriteLog(Localize(back ? kMsgSlotRestored : kMsgSlotNotRestored) + " " + slotName + " " +
                     file->file);
        }
        KeepSlotFiles();
        // Tempo and offset are the console's, not a slot's: only the package of the slot in
        // use sets them.
        if (slot != current && player_->Tempo() != tempo)
            ChangeTempo(tempo - player_->Tempo());
        if (slot != current && player_->Offset() != offset)
            ChangeOffset(offset - player_->Offset());
    }
    SwitchSlot(current);
    if (!gone.empty())
        Platform().MessageBox(Localize(kMsgSlotFileGone) + gone, Localize(91, "Ошибка"),
                              TButtons::Ok);
}

}  // namespace kv
