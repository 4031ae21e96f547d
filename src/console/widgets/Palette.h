#pragma once
// The console's day and night palettes. At night the background is dark, the text dimmed and
// the lamps dimmed; a window with colours of its own (the red warning) keeps them.

#include <QColor>

class QWidget;

#include <optional>
#include <string>

namespace kv {

enum class TPaletteKind { Day, Night };

TPaletteKind ShownPalette();
// Sets the application's palette and turns the labels' own text colours with it.
void ShowPalette(TPaletteKind kind);

// "day" or "night".
std::optional<TPaletteKind> PaletteNamed(const std::string& name);
std::string PaletteName(TPaletteKind kind);

// A lamp's or cell's colour as painted: dimmed at night.
QColor LampPaint(const QColor& color);
// A panel's background in its day colour, painted as the palette shows it now and again at
// each change of palette.
void PaintBackground(QWidget& widget, const QColor& day);

}  // namespace kv
