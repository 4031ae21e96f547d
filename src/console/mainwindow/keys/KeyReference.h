#pragma once
// The menu "Справка" and its key reference window (Ctrl+K).

#include <functional>

namespace kv {

class TMainForm;

// showAhead tells when the window must not open: a show running or a start awaited, when
// the keys must stay with the main window.
void AddKeyReference(TMainForm& form, std::function<bool()> showAhead);

}  // namespace kv
