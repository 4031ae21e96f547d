#include "console/dialogs/FileFilter.h"

#include "support/text/DivStrings.h"

#include <QStringList>

namespace kv {

QString QtFileFilter(const std::string& filter)
{
    const TDivStrings parts(filter, '|');
    QStringList entries;
    for (size_t i = 0; i + 1 < parts.Count(); i += 2) {
        // "*.wav; *.mp3" separates patterns with ";", Qt with blanks.
        QStringList patterns;
        for (const QString& pattern : QString::fromStdString(parts.Get(i + 1)).split(';'))
            if (!pattern.trimmed().isEmpty())
                patterns << pattern.trimmed();
        entries << QString::fromStdString(parts.Get(i)).trimmed() + " (" + patterns.join(' ') +
                       ")";
    }
    return entries.join(";;");
}

}  // namespace kv
