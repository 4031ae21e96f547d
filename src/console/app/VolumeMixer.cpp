#include "console/app/VolumeMixer.h"

#include "support/lang/AddedMessages.h"
#include "support/log/RunLog.h"

#include <QProcess>
#include <QStandardPaths>

namespace kv {

namespace {

constexpr char kMixer[] = "pavucontrol";

}  // namespace

bool OpenVolumeMixer()
{
    const QString program = QStandardPaths::findExecutable(kMixer);
    if (!program.isEmpty() && QProcess::startDetached(program, {}))
        return true;
    WriteLog(Localize(kMsgNoVolumeMixer) + " " + kMixer);
    return false;
}

}  // namespace kv
