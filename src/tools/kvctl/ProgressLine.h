#pragma once
// A progress line on stderr that rewrites itself, shown only when stderr is a terminal.

#include <string>

namespace kv {

class TProgressLine {
public:
    TProgressLine();
    // Clears the line, so results and messages that follow start clean.
    ~TProgressLine();
    TProgressLine(const TProgressLine&) = delete;
    TProgressLine& operator=(const TProgressLine&) = delete;

    void Show(const std::string& text);

private:
    bool terminal_;
    bool shown_ = false;
};

}  // namespace kv
