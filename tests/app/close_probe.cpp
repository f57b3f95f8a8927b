// Starts the program's window as main() does, then, once the event loop runs:
//   close_probe           presses the title close button;
//   close_probe box       hides the window and closes a warning box, then
//                         prints "alive" and leaves the loop with code 3.
// Prints "closed" when the event loop has ended.
#include "appresources.h"
#include "helpers.h"
#include "mainwindow.h"

#include <QApplication>
#include <QTimer>
#include <QToolButton>

#include <cstdio>

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    initAppResources();
    app.setStyleSheet(readTextFile(QStringLiteral(":/qss/qss/style.qss")));
    MainWindow window;
    window.show();
    if (argc > 1 && QByteArray(argv[1]) == "box") {
        QTimer::singleShot(200, &window, [&window, &app] {
            window.hide();
            QTimer::singleShot(100, [] { QApplication::activeModalWidget()->close(); });
            showMessage(QStringLiteral("提示"));
            QTimer::singleShot(300, &app, [&app] { std::printf("alive\n"), app.exit(3); });
        });
    } else {
        QTimer::singleShot(200, &window, [&window] { window.closeWindowButton()->click(); });
    }
    const int code = app.exec();
    std::printf("closed\n");
    return code;
}
