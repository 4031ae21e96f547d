#pragma once
// A lamp with its caption: lit is a green lamp with a black caption, unlit the neutral lamp
// with the normal text colour.

#include <QString>

class QLabel;
class QWidget;

namespace kv {

class TShape;

struct TIndicator {
    // Named <name>Led and <name>Label.
    TIndicator(QWidget* parent, const QString& name, const QString& caption);
    void SetLit(bool lit);

    TShape* led;
    QLabel* label;
};

}  // namespace kv
