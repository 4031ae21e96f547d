#pragma once
// The red strip across the top of the main window when a line of the run log could not be
// written: the reason, the file, and where the log goes on. It stays for the rest of the
// run: the record of this run is split, and the operator must know where its parts are.

#include <QLabel>

class QTimer;

namespace kv {

class TLogTroubleNotice : public QLabel {
public:
    explicit TLogTroubleNotice(QWidget* parent);
    ~TLogTroubleNotice() override;
    // Reads the log's state now; a timer does it four times a second, whichever thread wrote.
    void Refresh();

private:
    QTimer* poll_;
};

}  // namespace kv
