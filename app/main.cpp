#include "appresources.h"
#include "helpers.h"
#include "mainwindow.h"

#include <QApplication>

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    initAppResources();
    app.setStyleSheet(readTextFile(QStringLiteral(":/qss/qss/style.qss")));
    MainWindow window;
    window.show();
    return app.exec();
}
