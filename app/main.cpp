#include "appresources.h"
#include "helpers.h"
#include "mainwindow.h"

#include <QApplication>

int main(int argc, char *argv[])
{
    // Nothing here draws with OpenGL: without the X platform's GL integration
    // the program starts sooner and holds half the memory.
    if (qEnvironmentVariableIsEmpty("QT_XCB_GL_INTEGRATION"))
        qputenv("QT_XCB_GL_INTEGRATION", "none");
    QApplication app(argc, argv);
    initAppResources();
    app.setStyleSheet(readTextFile(QStringLiteral(":/qss/qss/style.qss")));
    MainWindow window;
    window.show();
    return app.exec();
}
