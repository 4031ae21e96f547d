#pragma once
#include "console/ConsolePlatform.h"

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
    // Never a modal box in a test: the text is kept and OK answered.
    TAnswer MessageBox(const std::string& text, const std::string&, TButtons) override
    {
        messages.push_back(text);
        return TAnswer::Ok;
    }

    bool powerKnown = false;
    TPowerStatus power;
    std::vector<std::string> messages;
};

TConsoleTestPlatform& TestPlatform();

}  // namespace kv
