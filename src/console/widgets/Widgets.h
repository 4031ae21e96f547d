#pragma once
// Named controls: the language file and the handlers find them by these names.

#include <QString>

class QGridLayout;
class QLabel;
class QPushButton;
class QWidget;

namespace kv {

QLabel* MakeLabel(QWidget* parent, const QString& name, const QString& text);
// Created disabled: a button is enabled only once its handler exists and its rule allows it.
QPushButton* MakeButton(QWidget* parent, const QString& name, const QString& text);
// A dialog's button that Enter leaves alone: only a click or its own key presses it.
QPushButton* MakeDialogButton(QWidget* parent, const char* name, const QString& text);

// A caption and its value in one grid row, named <name>Caption and <name>Label; the value.
QLabel* AddFigure(QGridLayout& grid, int row, const QString& name, const QString& caption,
                  const QString& value = {});

}  // namespace kv
