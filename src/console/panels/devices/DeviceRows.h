#pragma once
// The firing modules' rows of the device column: one flat bordered line of fixed-pitch text
// per module, in registry order. The list scrolls, so every registered module has its row.

#include <QWidget>

#include <vector>

class QLabel;
class QVBoxLayout;

namespace kv {

struct TRowColors;

class TDeviceRows : public QWidget {
public:
    explicit TDeviceRows(QWidget* parent);
    static QFont RowFont();

    void Clear();
    void AddRow(const QString& text, const TRowColors& colors);
    // Rows that do not exist are left alone.
    void SetRow(int row, const QString& text, const TRowColors& colors);
    int Count() const { return static_cast<int>(rows_.size()); }
    QString RowText(int row) const;

private:
    QVBoxLayout* layout_;
    std::vector<QLabel*> rows_;
};

}  // namespace kv
