#pragma once
// The bus search's figures, shown instead of the time panel while a search runs.

#include <QFrame>

class QLabel;

namespace kv {

class TSearchPanel : public QFrame {
public:
    explicit TSearchPanel(QWidget* parent);

    QLabel* cycle;
    QLabel* currentId;
    QLabel* converters;
    QLabel* modules;
    QLabel* radios;
    QLabel* remote;
};

}  // namespace kv
