#include "tools/kvctl/CtlHelp.h"

#include "support/Conversions.h"
#include "support/FilePlaces.h"
#include "tools/kvctl/CtlArguments.h"

#include <QtGlobal>

namespace kv {

std::string CtlVersionText()
{
    std::string text = "kvctl " + AppVersionText() + "\nbuild: " KV_BUILD_TYPE ", compiler " __VERSION__
                       ", Qt " QT_VERSION_STR "\nsettings: " +
                       CtlSettingsFile({}) + " (--settings FILE reads another)\nlogs: ";
    const TFilePlaces places = FindFilePlaces(AppFolder(), {});
    return text + places.stateFolder + "logs/, or when that cannot be written " +
           places.secondFolder + "logs/";
}

std::string CtlHelpFooter()
{
    return "Exit status:\n"
           "  0  done; gonogo: go\n"
           "  1  the operation failed, was refused, answered no or stopped; gonogo: no-go or\n"
           "     the check could not be made; a bad input file (FILE:LINE: reason on stderr)\n"
           "  2  usage: the command line is wrong\n"
           "  3  the field could not be reached: no converter opened or found, or every\n"
           "     converter lost\n"
           "Questions are asked on stderr and answered on stdin: only y goes on.\n"
           "kvctl COMMAND --help tells a command's arguments and options.";
}

}  // namespace kv
