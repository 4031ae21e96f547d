#pragma once
#include "console/app/ConsolePlatform.h"

#include <deque>
#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace kv {

class TConsoleTestPlatform : public TConsolePlatform {
public:
    bool PowerStatus(TPowerStatus& status) override
    {
        status = power;
        return powerKnown;
    }
    // Never a modal box in a test: the text is kept and answered with yesNo or OK.
    TAnswer MessageBox(const std::string& text, const std::string&, TButtons buttons) override
    {
        messages.push_back(text);
        if (buttons == TButtons::YesNo && whileAsked)
            whileAsked();
        return buttons == TButtons::YesNo ? yesNo : TAnswer::Ok;
    }
    // Granted without touching the scheduler: the window's log would otherwise depend on the
    // machine's limits and the build (a refused lock is logged; a sanitizer build refuses it).
    int SetRealTime(int, int, bool) override { return 0; }
    int LockMemory(bool) override { return 0; }
    // Shifts the tick counter, so that a wait of minutes passes at once.
    uint32_t TickCount() override { return TConsolePlatform::TickCount() + tickShift; }

    // The operator's choice in the next open dialogs, in order; none left is a cancel.
    std::optional<std::string> OpenFileName(const std::string& filter) override
    {
        filters.push_back(filter);
        if (openFiles.empty())
            return std::nullopt;
        std::string file = openFiles.front();
        openFiles.erase(openFiles.begin());
        return file;
    }
    // The operator's typing, one answer a prompt; none left is Cancel.
    std::optional<std::string> InputBox(const std::string&, const std::string& prompt,
                                        const std::string& initial) override
    {
        prompts.push_back(prompt + "|" + initial);
        if (inputs.empty())
            return std::nullopt;
        const std::string typed = inputs.front();
        inputs.pop_front();
        return typed;
    }
    std::optional<std::string> SaveFileName(const std::string& filter,
                                            const std::string& proposedName) override
    {
        prompts.push_back(filter + "|" + proposedName);
        return saveName;
    }

    bool powerKnown = false;
    TPowerStatus power;
    std::vector<std::string> messages;
    std::vector<std::string> openFiles;
    std::vector<std::string> filters;
    std::vector<std::string> prompts;
    std::deque<std::string> inputs;
    std::optional<std::string> saveName;
    TAnswer yesNo = TAnswer::No;
    // What happens while a question is open, before it is answered.
    std::function<void()> whileAsked;
    uint32_t tickShift = 0;
};

TConsoleTestPlatform& TestPlatform();

}  // namespace kv
