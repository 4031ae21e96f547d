#pragma once
// Keys as the operators' settings name them: Windows virtual key codes (kvshow.ini's
// StartBtn=116 is F5), whatever the keyboard layout.

class QKeyEvent;

namespace kv {

enum TVirtualKey : int {
    kVkTab = 9,
    kVkReturn = 13,
    kVkEscape = 27,
    kVkSpace = 32,
    kVkPageUp = 33,
    kVkPageDown = 34,
    kVkLeft = 37,
    kVkUp = 38,
    kVkRight = 39,
    kVkDown = 40,
    kVkInsert = 45,
    kVkDelete = 46,
    kVk0 = 48,
    kVkA = 65,
    kVkNumpad0 = 96,
    kVkMultiply = 106,
    kVkAdd = 107,
    kVkSubtract = 109,
    kVkDivide = 111,
    kVkF1 = 112,
    kVkSemicolon = 186,
    kVkEqualPlus = 187,
    kVkComma = 188,
    kVkMinus = 189,
    kVkPeriod = 190,
    kVkSlash = 191,
};

constexpr int FunctionKey(int n) { return kVkF1 + n - 1; }

// 0 for a key with no code of its own (a bare modifier, a dead key).
int VirtualKey(const QKeyEvent& event);

}  // namespace kv
