// Qt's own dialogs in the console's language: the buttons of a question and of the file
// dialog, opened the way the console opens them and answered from inside, as the operator would.
#include "rigs/console/ModalDriver.h"
#include "console/app/ConsolePlatform.h"
#include "console/app/DialogFolder.h"
#include "console/app/QtTranslation.h"
#include "console/app/ViewState.h"
#include "support/platform/FilePlaces.h"

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

// The folder the next open or save dialog opens in; the dialog is cancelled.
QString DialogFolder(bool save)
{
    QString opened;
    WhenModal<QFileDialog>([&](QFileDialog& dialog) {
        opened = dialog.directory().absolutePath();
        dialog.reject();
    });
    if (save)
        TConsolePlatform().SaveFileName("Файлы PDF|*.pdf", "report.pdf");
    else
        TConsolePlatform().OpenFileName("Аудиофайлы|*.ogg");
    return opened;
}

TEST(QtTranslationTest, FileDialogsOpenInTheFolderLastUsedAfterARestartTooUnlessItIsGone)
{
    QTemporaryDir folder, records, states;
    const std::string records0 = RecordsFolder();
    SetRecordsFolder(records.path().toStdString() + "/");
    const std::string stateFile = states.path().toStdString() + "/kvshow.state";
    const std::string otherStart = states.path().toStdString() + "/other.state";
    {
        TViewState state(stateFile);
        KeepDialogFolderIn(&state);
        const QString file = folder.path() + "/report.pdf";
        // A file chosen to save in a folder: no file of the folder needs reading first (an
        // existing file, chosen in an open dialog, waits for the dialog's own listing).
        WhenModal<QFileDialog>([&](QFileDialog& dialog) {
            dialog.setDirectory(folder.path());
            dialog.selectFile(file);
            static_cast<QDialog&>(dialog).done(QDialog::Accepted);  // as the Save button does
        });
        ASSERT_EQ(TConsolePlatform().SaveFileName("Файлы PDF|*.pdf", "report.pdf"),
                  file.toStdString());
        EXPECT_EQ(DialogFolder(false), QDir(folder.path()).absolutePath());
        EXPECT_EQ(DialogFolder(true), QDir(folder.path()).absolutePath());
        KeepDialogFolderIn(nullptr);
    }
    // Each start below reads the state file anew, as the console does.
    const auto startWith = [](const std::string& file, bool save) {
        TViewState state(file);
        KeepDialogFolderIn(&state);
        const QString opened = DialogFolder(save);
        KeepDialogFolderIn(nullptr);
        return opened;
    };
    // A start whose state kept no folder: the records folder.
    EXPECT_EQ(startWith(otherStart, false), QDir(records.path()).absolutePath());
    EXPECT_EQ(startWith(stateFile, false), QDir(folder.path()).absolutePath());
    ASSERT_TRUE(folder.remove());
    EXPECT_EQ(startWith(stateFile, true), QDir(records.path()).absolutePath());
    SetRecordsFolder(records0);
}

}  // namespace
}  // namespace kv
