// The console's entry point. The main window is still to come; until then it shows an empty
// window with the application title, so the run command already starts the program.
#include <QApplication>
#include <QLabel>

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    QApplication::setApplicationName("Korvane");
    QLabel window("Korvane");
    window.setWindowTitle("Korvane");
    window.resize(640, 400);
    window.show();
    return QApplication::exec();
}
