#include "console/panels/banners/LogTroubleNotice.h"

#include "support/lang/AddedMessages.h"
#include "support/log/RunLog.h"

#include <QThread>
#include <QTimer>

namespace kv {

namespace {
constexpr int kPollMs = 250;
}

TLogTroubleNotice::TLogTroubleNotice(QWidget* parent) : QLabel(parent), poll_(new QTimer(this))
{
    setObjectName("LogTroubleNotice");
    setWordWrap(true);
    setStyleSheet("QLabel { background: #ff0000; color: white; font-weight: bold;"
                  " font-size: 16px; padding: 6px; }");
    hide();
    poll_->setInterval(kPollMs);
    connect(poll_, &QTimer::timeout, this, [this] { Refresh(); });
    poll_->start();
    // A line the window's own thread could not write shows at once; one of another thread
    // waits for the poll (this window is not to be touched from there).
    SetLogTroubleHandler([this, own = QThread::currentThread()] {
        if (QThread::currentThread() == own)
            Refresh();
    });
}

TLogTroubleNotice::~TLogTroubleNotice()
{
    SetLogTroubleHandler({});
}

void TLogTroubleNotice::Refresh()
{
    const TLogTrouble trouble = LogTrouble();
    if (trouble.failedFile.empty()) {
        hide();
        return;
    }
    std::string text = Localize(kMsgLogNotWritten) + " " + trouble.failedFile + " (" +
                       trouble.reason + ").";
    if (trouble.failing)
        text += " " + Localize(kMsgLogLinesKept) + " " + std::to_string(trouble.waitingLines);
    else
        text += " " + Localize(kMsgLogGoesOn) + " " + trouble.file;
    setText(QString::fromStdString(text));
    show();
}

}  // namespace kv
