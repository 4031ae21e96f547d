#pragma once
// The channel grid of the test page: sixteen cells a row, one per channel of the module shown,
// coloured by the channel's test state, crossed when the scenario uses the channel, and from
// the resistance-measuring firmware on with the measured resistance under the number.

#include <QWidget>

namespace kv {

class TCommonControl;

class TChannelGrid : public QWidget {
public:
    explicit TChannelGrid(QWidget* parent);

    // None: an empty grid. The module must outlive its showing.
    void SetModule(const TCommonControl* module);
    // Redraws at once, so that a running test shows each channel as it is measured.
    void Redraw();
    // The grid as it is drawn on screen.
    QImage Render() const;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    const TCommonControl* module_ = nullptr;
};

}  // namespace kv
