#include "console/ConsolePlatform.h"

#include "console/FileFilter.h"

#include <QApplication>
#include <QFileDialog>
#include <QInputDialog>
#include <QMessageBox>

namespace kv {

namespace {

QString Text(const std::string& text)
{
    return QString::fromStdString(text);
}

std::optional<std::string> Chosen(const QString& path)
{
    if (path.isEmpty())
        return std::nullopt;
    return path.toStdString();
}

}  // namespace

TAnswer TConsolePlatform::MessageBox(const std::string& text, const std::string& caption,
                                     TButtons buttons)
{
    QWidget* parent = QApplication::activeWindow();
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
    bool accepted = false;
    const QString text = QInputDialog::getText(QApplication::activeWindow(), Text(caption),
                                               Text(prompt), QLineEdit::Normal, Text(initial),
                                               &accepted);
    if (!accepted)
        return std::nullopt;
    return text.toStdString();
}

std::optional<std::string> TConsolePlatform::OpenFileName(const std::string& filter)
{
    return Chosen(QFileDialog::getOpenFileName(QApplication::activeWindow(), {}, {},
                                               QtFileFilter(filter)));
}

std::optional<std::string> TConsolePlatform::SaveFileName(const std::string& filter,
                                                          const std::string& proposedName)
{
    // Qt asks before overwriting unless told not to.
    return Chosen(QFileDialog::getSaveFileName(QApplication::activeWindow(), {},
                                               Text(proposedName), QtFileFilter(filter)));
}

}  // namespace kv
