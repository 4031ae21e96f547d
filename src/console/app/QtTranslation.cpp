#include "console/app/QtTranslation.h"

#include <QCoreApplication>
#include <QLibraryInfo>

namespace kv {

QLocale QtLanguage(const TLanguageChoice& choice)
{
    if (choice.qtLocale.empty())
        return QLocale::system();
    return QLocale(QString::fromStdString(choice.qtLocale));
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
