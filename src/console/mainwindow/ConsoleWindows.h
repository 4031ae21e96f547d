#pragma once
// The console's windows, made once in a fixed order and kept for the whole run: the main
// window first, then the warning, memory, present-warning, external-start, timer and debug
// windows and the two report windows, which belong to it.

#include "support/platform/FilePlaces.h"

#include <memory>
#include <string>
#include <vector>

namespace kv {

class TAuxForm;
class TMainForm;

class TConsoleWindows {
public:
    explicit TConsoleWindows(const TFilePlaces& places);
    ~TConsoleWindows();

    TMainForm& Main() { return *main_; }
    // Class names in creation order.
    std::vector<std::string> ClassNames() const;

private:
    std::unique_ptr<TMainForm> main_;
    std::vector<TAuxForm*> others_;  // owned by the main window
};

}  // namespace kv
