#pragma once
// A coloured round indicator; its hint is the tooltip.

#include <QColor>
#include <QWidget>

namespace kv {

class TShape : public QWidget {
public:
    explicit TShape(const QString& name, QWidget* parent = nullptr);

    void SetColor(const QColor& color);
    QColor Color() const { return color_; }
    QSize sizeHint() const override { return {18, 18}; }

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QColor color_;
};

}  // namespace kv
