#include "tools/kvctl/CtlHelp.h"

#include "support/lang/AddedMessages.h"
#include "support/text/Conversions.h"
#include "support/platform/FilePlaces.h"
#include "tools/kvctl/CtlArguments.h"

#include <QtGlobal>

namespace kv {

namespace {

std::string StatusLine(int status, const TMessage& message)
{
    return "  " + std::to_string(status) + "  " + Localize(message) + "\n";
}

}  // namespace

std::string CtlVersionText()
{
    std::string text = "kvctl " + AppVersionText() + "\n" + Localize(kMsgCtlBuild) +
                       " " KV_BUILD_TYPE ", " + Localize(kMsgCtlCompiler) +
                       " " __VERSION__ ", Qt " QT_VERSION_STR "\n" + Localize(kMsgSettingsPlace) +
                       " " + CtlSettingsFile({}) + " " + Localize(kMsgCtlOtherSettings) + "\n" +
                       Localize(kMsgRecordsPlace) + " ";
    const TFilePlaces places = FindFilePlaces(AppFolder(), {});
    return text + places.stateFolder + "logs/, " + Localize(kMsgCtlLogsElsewhere) + " " +
           places.secondFolder + "logs/";
}

std::string CtlHelpFooter()
{
    return Localize(kMsgCtlExitStatus) + "\n" + StatusLine(kExitDone, kMsgCtlExitDone) +
           StatusLine(kExitFailed, kMsgCtlExitFailed) + StatusLine(kExitUsage, kMsgCtlExitUsage) +
           StatusLine(kExitNoField, kMsgCtlExitNoField) + Localize(kMsgCtlQuestions) + "\n" +
           Localize(kMsgCtlCommandHelpHint);
}

}  // namespace kv
