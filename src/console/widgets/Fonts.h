#pragma once
// The console's fonts: DejaVu (fonts-dejavu-core), sized in points from one scale, so that a
// 4K screen in the van and a laptop in the sun both read.

#include <QFont>

namespace kv {

constexpr int kMinScalePercent = 100;
constexpr int kMaxScalePercent = 200;

// Clamps percent to 100-200 and makes the application's font 9 points at that scale; windows
// made afterwards take it.
void SetConsoleScale(int percent);
int ConsoleScale();

// points at the console's scale.
QFont ConsoleFont(double points, bool bold = false);
QFont ConsoleFixedFont(double points);
// A length in pixels at 100 %, at the console's scale.
int Scaled(int pixels);

}  // namespace kv
