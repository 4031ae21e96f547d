#pragma once
// The indicator colours of the console.

#include <QColor>

class QLabel;

namespace kv {

inline const QColor kGreen{0, 255, 0};
inline const QColor kRed{255, 0, 0};
inline const QColor kBlack{0, 0, 0};
inline const QColor kNavy{0, 0, 128};

// The toolkit's button face and window text colours.
QColor NeutralColor();
QColor NormalTextColor();
// The day colour given; at night black and navy show dimmed (Palette.cpp).
void SetTextColor(QLabel& label, const QColor& color);
QColor TextColor(const QLabel& label);

}  // namespace kv
