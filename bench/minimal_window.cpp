// The reference of the start-up benchmark: the smallest Qt Widgets program
// that shows an 800 by 650 window.
#include <QApplication>
#include <QWidget>

int main(int argc, char **argv)
{
    QApplication app(argc, argv);
    QWidget window;
    window.setWindowTitle(QStringLiteral("minimal window"));
    window.resize(800, 650);
    window.show();
    return app.exec();
}
