// Qt's own dialogs in the console's language: the buttons of a question and of the file
// dialog, opened the way the console opens them and answered from inside, as the operator would.
#include "ModalDriver.h"
#include "console/app/ConsolePlatform.h"
#include "console/app/QtTranslation.h"

#include <QAbstractButton>
#include <QDialogButtonBox>
#include <QDir>
#include <QFile>
#include <QFileDialog>
#include <QFileInfo>
#include <QMessageBox>
#include <QPushButton>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace kv {
namespace {

struct TQuestionButtons {
    QString yes;
    QString no;
};

// Asks Yes/No and answers with the button given, noting both buttons' texts.
TQuestionButtons AskAndAnswer(QMessageBox::StandardButton answer, TAnswer expected)
{
    TQuestionButtons seen;
    WhenModal<QMessageBox>([&](QMessageBox& box) {
        seen.yes = box.button(QMessageBox::Yes)->text();
        seen.no = box.button(QMessageBox::No)->text();
        box.button(answer)->click();
    });
    TConsolePlatform platform;
    EXPECT_EQ(platform.MessageBox("Удалить?", "Подтверждение", TButtons::YesNo), expected);
    return seen;
}

TEST(QtTranslationTest, QtDialogsSpeakRussianWithTheConsole)
{
    const QString folder = TQtTranslation::DefaultFolder();
    if (!QFileInfo::exists(folder + "/qtbase_ru.qm"))
        GTEST_SKIP() << "Qt's Russian translation is not installed (Debian package "
                        "qt6-translations-l10n): no " << (folder + "/qtbase_ru.qm").toStdString();
    QTemporaryDir appFolder;
    const QLocale language =
        QtLanguage(ChooseLanguage(appFolder.path().toStdString() + "/", "", "C.UTF-8"));
    EXPECT_EQ(language.language(), QLocale::Russian) << "no language file: the texts are Russian";
    const TQtTranslation translation(language);
    ASSERT_TRUE(translation.Loaded());

    const TQuestionButtons buttons = AskAndAnswer(QMessageBox::No, TAnswer::No);
    EXPECT_EQ(buttons.yes, "&Да");
    EXPECT_EQ(buttons.no, "&Нет");

    QString open;
    WhenModal<QFileDialog>([&](QFileDialog& dialog) {
        const auto* row = dialog.findChild<QDialogButtonBox*>();
        open = row->button(QDialogButtonBox::Open)->text();
        dialog.reject();
    });
    EXPECT_EQ(TConsolePlatform().OpenFileName("Текстовые файлы|*.txt"), std::nullopt);
    EXPECT_EQ(open, "&Открыть");
}

TEST(QtTranslationTest, WithoutTheTranslationFileQtStaysEnglishAndQuestionsStillAnswer)
{
    QTemporaryDir empty;
    const TQtTranslation translation(QLocale(QLocale::Russian), empty.path());
    EXPECT_FALSE(translation.Loaded());
    const TQuestionButtons buttons = AskAndAnswer(QMessageBox::Yes, TAnswer::Yes);
    EXPECT_EQ(buttons.yes, "&Yes");
}

TEST(QtTranslationTest, FileDialogsOpenInTheFolderLastUsed)
{
    QTemporaryDir folder;
    const QString file = folder.path() + "/report.pdf";
    // A file chosen to save in a folder: no file of the folder needs reading first (an
    // existing file, chosen in an open dialog, waits for the dialog's own listing).
    WhenModal<QFileDialog>([&](QFileDialog& dialog) {
        dialog.setDirectory(folder.path());
        dialog.selectFile(file);
        static_cast<QDialog&>(dialog).done(QDialog::Accepted);  // as the Save button does
    });
    ASSERT_EQ(TConsolePlatform().SaveFileName("Файлы PDF|*.pdf", "report.pdf"), file.toStdString());
    QString openedIn, savedIn;
    WhenModal<QFileDialog>([&](QFileDialog& dialog) {
        openedIn = dialog.directory().absolutePath();
        dialog.reject();
    });
    TConsolePlatform().OpenFileName("Аудиофайлы|*.ogg");
    WhenModal<QFileDialog>([&](QFileDialog& dialog) {
        savedIn = dialog.directory().absolutePath();
        dialog.reject();
    });
    TConsolePlatform().SaveFileName("Файлы PDF|*.pdf", "report.pdf");
    EXPECT_EQ(openedIn, QDir(folder.path()).absolutePath());
    EXPECT_EQ(savedIn, QDir(folder.path()).absolutePath());
}

}  // namespace
}  // namespace kv
