#include "console/app/ConsolePlatform.h"

#include "console/app/DialogFolder.h"
#include "console/dialogs/FileFilter.h"

#include <QApplication>
#include <QDir>
#include <QFileDialog>
#include <QInputDialog>
#include <QMessageBox>
#include <QPointer>

namespace kv {

namespace {

QString Text(const std::string& text)
{
    return QString::fromStdString(text);
}

// Without a window manager nobody hands the keys back to the window that asked once its
// dialog has gone, and the operator's keys would go nowhere.
class TKeysComeBack {
public:
    TKeysComeBack() : asker_(QApplication::activeWindow()) {}
    ~TKeysComeBack()
    {
        if (asker_)
            asker_->activateWindow();
    }
    QWidget* Asker() const { return asker_; }

private:
    QPointer<QWidget> asker_;
};

std::optional<std::string> Chosen(const QString& path)
{
    if (path.isEmpty())
        return std::nullopt;
    DialogFolderUsed(path.toStdString());
    return path.toStdString();
}

}  // namespace

TAnswer TConsolePlatform::MessageBox(const std::string& text, const std::string& caption,
                                     TButtons buttons)
{
    const TKeysComeBack keys;
    QWidget* parent = keys.Asker();
    if (buttons == TButtons::Ok) {
        QMessageBox::information(parent, Text(caption), Text(text));
        return TAnswer::Ok;
    }
    // No is the default: a stray Enter must not confirm an erase.
    const auto answer = QMessageBox::question(parent, Text(caption), Text(text),
                                              QMessageBox::Yes | QMessageBox::No, QMessageBox::No);
    return answer == QMessageBox::Yes ? TAnswer::Yes : TAnswer::No;
}

std::optional<std::string> TConsolePlatform::InputBox(const std::string& caption,
                                                      const std::string& prompt,
                                                      const std::string& initial)
{
    const TKeysComeBack keys;
    bool accepted = false;
    const QString text = QInputDialog::getText(keys.Asker(), Text(caption),
                                               Text(prompt), QLineEdit::Normal, Text(initial),
                                               &accepted);
    if (!accepted)
        return std::nullopt;
    return text.toStdString();
}

std::optional<std::string> TConsolePlatform::OpenFileName(const std::string& filter)
{
    const TKeysComeBack keys;
    return Chosen(QFileDialog::getOpenFileName(keys.Asker(), {}, Text(DialogStartFolder()),
                                               QtFileFilter(filter)));
}

std::optional<std::string> TConsolePlatform::SaveFileName(const std::string& filter,
                                                          const std::string& proposedName)
{
    // Qt asks before overwriting unless told not to.
    const TKeysComeBack keys;
    const std::string folder = DialogStartFolder();
    const QString proposed =
        folder.empty() ? Text(proposedName) : QDir(Text(folder)).filePath(Text(proposedName));
    return Chosen(QFileDialog::getSaveFileName(keys.Asker(), {}, proposed,
                                               QtFileFilter(filter)));
}

}  // namespace kv
