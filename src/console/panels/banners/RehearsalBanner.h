#pragma once
// The strip across the top of the main window while the bus is a model of the installation:
// above both pages, so no launch state and no page hides it.

#include <QLabel>

namespace kv {

class TRehearsalBanner : public QLabel {
public:
    explicit TRehearsalBanner(QWidget* parent);
    // The text is taken when shown: the language file is loaded after the window is made.
    void ShowRehearsal(bool on);
};

}  // namespace kv
