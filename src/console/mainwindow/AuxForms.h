#pragma once
// The windows the main window calls on, made after it and handed over once.

namespace kv {

class TDebugForm;
class TContinuityForm;
class TExtStartForm;
class TFiringReportForm;
class TGoNoGoForm;
class TMemoryForm;
class TPresentWarningForm;
class TTimerForm;

struct TAuxForms {
    TMemoryForm* memory = nullptr;
    TPresentWarningForm* presentWarning = nullptr;
    TExtStartForm* extStart = nullptr;
    TTimerForm* timer = nullptr;
    TDebugForm* debug = nullptr;
    TFiringReportForm* firingReport = nullptr;
    TContinuityForm* continuity = nullptr;
    TGoNoGoForm* goNoGo = nullptr;
};

}  // namespace kv
