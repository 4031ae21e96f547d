#include "console/app/QtTranslation.h"

#include <QCoreApplication>
#include <QFileInfo>
#include <QLibraryInfo>

namespace kv {

QLocale ConsoleLanguage(const std::string& languageFile)
{
    if (QFileInfo::exists(QString::fromStdString(languageFile)))
        return QLocale::system();
    return QLocale(QLocale::Russian, QLocale::Russia);
}

QString TQtTranslation::DefaultFolder()
{
    return QLibraryInfo::path(QLibraryInfo::TranslationsPath);
}

TQtTranslation::TQtTranslation(const QLocale& language, const QString& folder)
{
    // qtbase holds every text of the widgets the console uses.
    loaded_ = translator_.load(language, "qtbase", "_", folder) &&
              QCoreApplication::installTranslator(&translator_);
}

TQtTranslation::~TQtTranslation()
{
    if (loaded_)
        QCoreApplication::removeTranslator(&translator_);
}

}  // namespace kv
