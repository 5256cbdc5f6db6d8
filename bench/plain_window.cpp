// The floor for the start-up measurement: a plain Qt window with a title,
// built and started as the game is.
#include <QApplication>
#include <QWidget>

int main(int argc, char** argv)
{
    QApplication application(argc, argv);
    QWidget window;
    window.setWindowTitle(QStringLiteral("plain window"));
    window.show();
    return application.exec();
}
