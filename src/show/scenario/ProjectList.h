#pragma once
// One scenario: the cues of a loaded file, sorted by time, and the file's name.

#include "show/scenario/Cue.h"

#include <cstdint>
#include <span>
#include <string>
#include <vector>

namespace kv {

class TProjectList {
public:
    TProjectList() = default;
    // The player and the memory transfer keep references to a slot's list.
    TProjectList(const TProjectList&) = delete;
    TProjectList& operator=(const TProjectList&) = delete;

    // Replaces the list with the file's cues. A file that cannot be read or a bad line is
    // reported to the operator and leaves the list empty.
    void Load(const std::string& path);
    void Clear();
    // Replaces the list with cues that were read elsewhere (an imported show, a package), as
    // a load would. source: the scenario file's bytes; empty: written from the firing cues.
    void Assign(std::vector<TCue> cues, const std::string& name, std::string source = {});

    int Count() const { return static_cast<int>(cues_.size()); }
    // index 0 .. Count() - 1
    const TCue& Cue(int index) const { return cues_[static_cast<size_t>(index)]; }
    // In list order, for the memory transfer.
    std::span<const TCue> Cues() const { return cues_; }
    // The latest cue time, 0 when empty.
    int32_t Duration() const;
    // Ascending by time; cues with equal times keep their file order.
    void SortByTime();
    // The loaded file's name without its folder, empty when nothing is loaded.
    const std::string& Name() const { return name_; }
    // The bytes the cues were read from, for a show package; empty when nothing is loaded.
    const std::string& Source() const { return source_; }
    // Changes whenever the cues may have: a show stopped on other cues does not resume.
    uint32_t Revision() const { return revision_; }

private:
    std::vector<TCue> cues_;
    std::string name_;
    std::string source_;
    uint32_t revision_ = 0;
};

}  // namespace kv
