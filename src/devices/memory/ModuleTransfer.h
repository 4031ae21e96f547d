#pragma once
// The memory operations over every firing module of the registry, in list order, on the
// registry's port. Each stops at the first failing exchange or when the progress handler asks
// to abort.

#include "devices/memory/ProgressEvent.h"
#include "devices/memory/ScenarioCue.h"

#include <cstdint>
#include <functional>
#include <vector>

namespace kv {

class TControls;
class TCommonControl;
class TPortProto;

class TModuleTransfer {
public:
    explicit TModuleTransfer(const TControls& registry, TProgressEvent progress = {});

    TResult WriteScenario(TCueView cues);
    TResult VerifyScenario(TCueView cues);
    // Every module's memory read back, whatever the others hold: the first failure, after all.
    // What each module holds is then known.
    TResult VerifyEachModule(TCueView cues);
    TResult EraseScenario();
    // buffer: FiringModuleCount records of the black box layout, complete or not.
    TResult ReadBlackBox(std::vector<uint8_t>& buffer);

private:
    using TModuleStep = std::function<TResult(TCommonControl& module, int index)>;
    using TCueStep = std::function<TResult(const TScenarioCue& cue)>;
    TResult EachModule(const TModuleStep& step);
    // The module's cues in time order, with a progress step after each one that went well.
    TResult EachCue(TCommonControl& module, int index, const TCueStep& step);
    void Progress(int percent, int index, int channel, int address);
    void SortCues(TCueView cues);
    // Keeps on the module what its memory now holds; gives result back.
    TResult NoteMemory(TCommonControl& module, TResult result, TCueView cues) const;

    // Whether every cue of the module has a time its memory can hold.
    bool TimesFit(const TCommonControl& module) const;
    TResult WriteModule(TCommonControl& module, int index);
    TResult VerifyModule(TCommonControl& module, int index);
    TResult Verify(TCueView cues, bool eachModule);
    // After a verify of a motor module's moves: whether its list goes on past them.
    void ReadMovesPast(TCommonControl& module, int moves);
    // Empties what a module must not keep from an earlier scenario (EmptySlots), or checks
    // that it is empty; the first failing exchange ends either.
    TResult Pad(TCommonControl& module, const std::vector<int>& slots);
    TResult VerifyEmpty(TCommonControl& module, const std::vector<int>& slots);
    TResult EraseModule(TCommonControl& module, int index);
    TResult ReadModuleLog(TCommonControl& module, int index, uint8_t* record);

    TPortProto& port_;
    const TControls& registry_;
    const TProgressEvent progress_;
    std::vector<TScenarioCue> cues_;
    bool aborted_ = false;
    int64_t eraseTotal_ = 0;
    int64_t eraseDone_ = 0;
};

}  // namespace kv
