#include "show/player/ShowReportFile.h"

#include "show/report/FiringReportFile.h"
#include "support/lang/AddedMessages.h"
#include "support/log/RunLog.h"
#include "support/platform/Platform.h"

namespace kv {

void TShowReportFile::Close(const TFiringReport& report, int show, bool rehearsal)
{
    path_ = FiringReportPathBeside(LogFileName(), show, rehearsal);
    Save(report);
}

void TShowReportFile::Save(const TFiringReport& report)
{
    if (path_.empty() || Write(report))
        return;
    WriteLog(Localize(kMsgReportNotWritten) + " " + path_);
    // The log goes on in its second folder when its own failed: the report follows it.
    const std::string log = LogFileName();
    const std::string moved =
        log.substr(0, log.find_last_of('/') + 1) + path_.substr(path_.find_last_of('/') + 1);
    if (moved == path_)
        return;
    path_ = moved;
    if (!Write(report))
        WriteLog(Localize(kMsgReportNotWritten) + " " + path_);
}

bool TShowReportFile::Write(const TFiringReport& report)
{
    if (!WriteFiringReport(report, path_))
        return false;
    Platform().SyncFile(path_, [](int) {});
    return true;
}

}  // namespace kv
