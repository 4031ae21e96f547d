#include "console/VolumeMixer.h"

#include "support/RunLog.h"

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
    WriteLog(std::string("Микшер громкости не найден: ") + kMixer);
    return false;
}

}  // namespace kv
