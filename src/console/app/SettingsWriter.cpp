#include "console/app/SettingsWriter.h"

#include "support/text/IniFile.h"
#include "support/text/TextEncoding.h"

#include <QFile>
#include <QSaveFile>

namespace kv {

bool WriteSettingChanges(const std::string& file, const std::vector<TSettingChange>& changes,
                         std::string& problem)
{
    const QString name = QString::fromStdString(file);
    std::string text;
    if (QFile old(name); old.exists()) {
        if (!old.open(QIODevice::ReadOnly)) {
            problem = old.errorString().toStdString();
            return false;
        }
        // A Windows-1251 file comes back as UTF-8, which the reader takes as well.
        text = DecodeText(old.readAll().toStdString());
    }
    for (const TSettingChange& change : changes)
        text = TIniFile::WithValue(text, change.section, change.key, change.value);
    QSaveFile out(name);
    // Through a link to the file, the file itself is replaced.
    out.setDirectWriteFallback(false);
    if (!out.open(QIODevice::WriteOnly) ||
        out.write(text.data(), static_cast<qint64>(text.size())) !=
            static_cast<qint64>(text.size()) ||
        !out.commit()) {
        problem = out.errorString().toStdString();
        return false;
    }
    return true;
}

}  // namespace kv
