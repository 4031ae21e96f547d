#include "console/mainwindow/keys/VirtualKeys.h"

#include <QKeyEvent>

#include <array>

namespace kv {

namespace {

// X11 key codes of the main block's rows: the operator's Q key stays Q, and the slash key
// stays the slash key, with the Russian layout on.
constexpr std::array<std::pair<int, int>, 14> kScanRows{{
    {10, '1'}, {11, '2'}, {12, '3'}, {13, '4'}, {14, '5'}, {15, '6'}, {16, '7'},
    {17, '8'}, {18, '9'}, {19, '0'}, {20, kVkMinus}, {21, kVkEqualPlus},
    {47, kVkSemicolon}, {61, kVkSlash},
}};
constexpr char kTopRow[] = "QWERTYUIOP";      // X11 codes 24-33
constexpr char kMiddleRow[] = "ASDFGHJKL";    // 38-46
constexpr char kBottomRow[] = "ZXCVBNM";      // 52-58

int FromScanCode(quint32 code)
{
    const int c = static_cast<int>(code);
    if (c >= 24 && c < 34)
        return kTopRow[c - 24];
    if (c >= 38 && c < 47)
        return kMiddleRow[c - 38];
    if (c >= 52 && c < 59)
        return kBottomRow[c - 52];
    if (c == 59)
        return kVkComma;
    if (c == 60)
        return kVkPeriod;
    for (const auto& [scan, key] : kScanRows)
        if (scan == c)
            return key;
    return 0;
}

int FromKeypad(int key)
{
    if (key >= Qt::Key_0 && key <= Qt::Key_9)
        return kVkNumpad0 + key - Qt::Key_0;
    switch (key) {
    case Qt::Key_Asterisk:
        return kVkMultiply;
    case Qt::Key_Plus:
        return kVkAdd;
    case Qt::Key_Minus:
        return kVkSubtract;
    case Qt::Key_Slash:
        return kVkDivide;
    case Qt::Key_Enter:
        return kVkReturn;
    default:
        return 0;
    }
}

int FromQtKey(int key)
{
    if (key >= Qt::Key_0 && key <= Qt::Key_9)
        return kVk0 + key - Qt::Key_0;
    if (key >= Qt::Key_A && key <= Qt::Key_Z)
        return kVkA + key - Qt::Key_A;
    if (key >= Qt::Key_F1 && key <= Qt::Key_F24)
        return kVkF1 + key - Qt::Key_F1;
    switch (key) {
    case Qt::Key_Tab:
    case Qt::Key_Backtab:
        return kVkTab;
    case Qt::Key_Return:
    case Qt::Key_Enter:
        return kVkReturn;
    case Qt::Key_Escape:
        return kVkEscape;
    case Qt::Key_Space:
        return kVkSpace;
    case Qt::Key_PageUp:
        return kVkPageUp;
    case Qt::Key_PageDown:
        return kVkPageDown;
    case Qt::Key_Left:
        return kVkLeft;
    case Qt::Key_Up:
        return kVkUp;
    case Qt::Key_Right:
        return kVkRight;
    case Qt::Key_Down:
        return kVkDown;
    case Qt::Key_Insert:
        return kVkInsert;
    case Qt::Key_Delete:
        return kVkDelete;
    case Qt::Key_Semicolon:
    case Qt::Key_Colon:
        return kVkSemicolon;
    case Qt::Key_Equal:
    case Qt::Key_Plus:
        return kVkEqualPlus;
    case Qt::Key_Comma:
    case Qt::Key_Less:
        return kVkComma;
    case Qt::Key_Minus:
    case Qt::Key_Underscore:
        return kVkMinus;
    case Qt::Key_Period:
    case Qt::Key_Greater:
        return kVkPeriod;
    case Qt::Key_Slash:
    case Qt::Key_Question:
        return kVkSlash;
    default:
        return 0;
    }
}

}  // namespace

int VirtualKey(const QKeyEvent& event)
{
    const int key = event.key();
    if (event.modifiers() & Qt::KeypadModifier) {
        if (const int pad = FromKeypad(key))
            return pad;
    }
    // The key's place first, where the system tells it: the layout must not move a firing key.
    if (const int positional = FromScanCode(event.nativeScanCode()))
        return positional;
    return FromQtKey(key);
}

}  // namespace kv
