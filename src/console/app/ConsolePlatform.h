#pragma once
// The real platform with the operator prompts as the console's dialogs.

#include "support/platform/QtPlatform.h"

namespace kv {

class TConsolePlatform : public TQtPlatform {
public:
    TAnswer MessageBox(const std::string& text, const std::string& caption,
                       TButtons buttons) override;
    std::optional<std::string> InputBox(const std::string& caption, const std::string& prompt,
                                        const std::string& initial) override;
    std::optional<std::string> OpenFileName(const std::string& filter) override;
    std::optional<std::string> SaveFileName(const std::string& filter,
                                            const std::string& proposedName) override;
};

}  // namespace kv
