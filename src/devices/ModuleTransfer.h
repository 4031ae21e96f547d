#pragma once
// The memory operations over every firing module of the registry, in list order. Each stops
// at the first failing exchange or when the progress handler asks to abort.

#include "devices/ProgressEvent.h"
#include "devices/ScenarioCue.h"

#include <cstdint>
#include <functional>
#include <vector>

namespace kv {

class TControls;
class TCommonControl;
class TPortProto;

class TModuleTransfer {
public:
    TModuleTransfer(TPortProto& port, const TControls& registry, const TProgressEvent& progress);

    int WriteScenario(TCueView cues);
    int VerifyScenario(TCueView cues);
    // Every module's memory read back, whatever the others hold: the first failure, after all.
    int VerifyEachModule(TCueView cues);
    int EraseScenario();
    int ReadBlackBox(std::vector<uint8_t>& buffer);

private:
    using TModuleStep = std::function<int(TCommonControl& module, int index)>;
    using TCueStep = std::function<int(const TScenarioCue& cue)>;
    int EachModule(const TModuleStep& step);
    // The module's cues in time order, with a progress step after each one that went well.
    int EachCue(TCommonControl& module, int index, const TCueStep& step);
    void Progress(int percent, int index, int channel, int address);
    void SortCues(TCueView cues);
    // Keeps on the module what its memory now holds; gives result back.
    int NoteMemory(TCommonControl& module, int result, TCueView cues) const;

    // Whether every cue of the module has a time its memory can hold.
    bool TimesFit(const TCommonControl& module) const;
    int WriteModule(TCommonControl& module, int index);
    int VerifyModule(TCommonControl& module, int index);
    int Verify(TCueView cues, bool eachModule);
    // After a verify of a motor module's moves: whether its list goes on past them.
    void ReadMovesPast(TCommonControl& module, int moves);
    // Empties what a module must not keep from an earlier scenario (EmptySlots), or checks
    // that it is empty; the first failing exchange ends either.
    int Pad(TCommonControl& module, const std::vector<int>& slots);
    int VerifyEmpty(TCommonControl& module, const std::vector<int>& slots);
    int EraseModule(TCommonControl& module, int index);
    int ReadModuleLog(TCommonControl& module, int index, uint8_t* record);

    TPortProto& port_;
    const TControls& registry_;
    const TProgressEvent& progress_;
    std::vector<TScenarioCue> cues_;
    bool aborted_ = false;
    int64_t eraseTotal_ = 0;
    int64_t eraseDone_ = 0;
};

}  // namespace kv
