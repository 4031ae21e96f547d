#include "console/mainwindow/keys/ConsoleKeys.h"

#include "console/mainwindow/keys/VirtualKeys.h"

#include <algorithm>

namespace kv {

const std::array<int, 40> kManualKeys{
    '1', '2', '3', '4', '5', '6', '7', '8', '9', '0',
    'Q', 'W', 'E', 'R', 'T', 'Y', 'U', 'I', 'O', 'P',
    'A', 'S', 'D', 'F', 'G', 'H', 'J', 'K', 'L', kVkSemicolon,
    'Z', 'X', 'C', 'V', 'B', 'N', 'M', kVkComma, kVkPeriod, kVkSlash};

namespace {

constexpr std::array<int, 29> kLaunchTableKeys{
    kVkReturn, kVkEscape, kVkLeft, kVkRight, kVkUp, kVkDown, kVkInsert, kVkDelete,
    '1', '2', '3', '4', '5', '6', '7', '8',
    kVkMultiply, kVkDivide, kVkAdd, kVkEqualPlus, kVkSubtract, kVkMinus,
    FunctionKey(1), FunctionKey(2), FunctionKey(3), FunctionKey(4), FunctionKey(6),
    FunctionKey(8), FunctionKey(9)};

bool Among(int key, const auto& keys)
{
    return std::find(keys.begin(), keys.end(), key) != keys.end();
}

// The launch page, the manual keyboard, the test page (F1-F6 there), the lists and pages.
bool ConsoleKey(int key)
{
    return NamedByLaunchTable(key) || Among(key, kManualKeys) ||
           (key >= FunctionKey(1) && key <= FunctionKey(12)) || key == kVkTab ||
           key == kVkPageUp || key == kVkPageDown;
}

}  // namespace

bool NamedByLaunchTable(int key)
{
    return Among(key, kLaunchTableKeys);
}

bool StartKeyAllowed(int key, int deadManKey)
{
    return key != 0 && key != deadManKey && (key == FunctionKey(5) || !ConsoleKey(key));
}

bool DeadManKeyAllowed(int key, int startKey)
{
    return key == 0 || (key != startKey && !ConsoleKey(key));
}

}  // namespace kv
