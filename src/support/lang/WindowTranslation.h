#pragma once
// Applies the language file to the windows that carry a TLocalizer.

#include "support/lang/LocalizedWindow.h"

#include <string>
#include <vector>

namespace kv {

// Registers its window for TranslateAll while it lives; the window must outlive it.
class TLocalizer {
public:
    explicit TLocalizer(TLocalizedWindow& owner);
    ~TLocalizer();
    TLocalizer(const TLocalizer&) = delete;
    TLocalizer& operator=(const TLocalizer&) = delete;

private:
    TLocalizedWindow& owner_;
};

// The language file's section for a kind of component; none for Other.
const char* SectionOf(TComponentKind kind);

// The windows that carry a TLocalizer, in the order they were made.
const std::vector<TLocalizedWindow*>& RegisteredWindows();

// Loads the message table when it is empty, then translates every registered window.
void TranslateAll();
// Caption and component texts from the language file; without the file nothing changes.
void TranslateWindow(TLocalizedWindow& window);

}  // namespace kv
