#pragma once
// Qt's own texts (file dialogs, message box buttons, input boxes) in the console's language,
// from the translations Qt ships. Without them Qt's dialogs stay in English and all else works.

#include <QLocale>
#include <QString>
#include <QTranslator>

#include "support/lang/LanguageChoice.h"

namespace kv {

// The language chosen; a language file of one's own names none, so Qt then follows the
// system's.
QLocale QtLanguage(const TLanguageChoice& choice);

// Installed into the application while it lives; make it after the application.
class TQtTranslation {
public:
    explicit TQtTranslation(const QLocale& language, const QString& folder = DefaultFolder());
    ~TQtTranslation();
    TQtTranslation(const TQtTranslation&) = delete;
    TQtTranslation& operator=(const TQtTranslation&) = delete;

    bool Loaded() const { return loaded_; }
    static QString DefaultFolder();

private:
    QTranslator translator_;
    bool loaded_ = false;
};

}  // namespace kv
