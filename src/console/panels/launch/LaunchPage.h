#pragma once
// The page where a show is prepared and run: indicators, clocks, slotStrip, cues, buttons.

#include <QWidget>

class QPushButton;
class QTreeWidget;

namespace kv {

class TIndicatorStrip;
class TManualKeyboard;
class TSearchPanel;
class TSlotStrip;
class TTimePanel;

class TLaunchPage : public QWidget {
public:
    explicit TLaunchPage(QWidget* parent);

    TIndicatorStrip* indicators;
    TTimePanel* timePanel;
    TSearchPanel* searchPanel;
    TSlotStrip* slotStrip;
    QTreeWidget* cueList;
    TManualKeyboard* manualKeys;
    QPushButton* projectBtn;
    QPushButton* soundBtn;
    QPushButton* beginBtn;
    QPushButton* startBtn;
    QPushButton* stopBtn;
    QPushButton* saveBtn;
    QPushButton* checkBtn;
};

}  // namespace kv
