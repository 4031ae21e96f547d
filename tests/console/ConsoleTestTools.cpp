#include "ConsoleTestTools.h"

#include "ConsoleFolder.h"

#include <QPixmap>

#include <algorithm>
#include <cstdlib>

namespace kv {

bool Logged(const std::string& log, const std::string& message)
{
    const auto messages = TConsoleFolder::LogMessages(log);
    return std::find(messages.begin(), messages.end(), message) != messages.end();
}

void Snapshot(QWidget& window, const char* name)
{
    if (const char* folder = std::getenv("KV_SCREENSHOT_DIR"))
        window.grab().save(QString(folder) + "/" + name + ".png");
}

}  // namespace kv
