// Shows the main window as the program does and saves a screenshot of the
// whole screen for each of its eleven pages, after generating one code, (the style pages scrolled to the
// top and to the bottom). Usage: page_screenshots OUTPUT_FOLDER
// Run it on a real X display (scripts/screenshots.sh starts Xvfb).
#include "appresources.h"
#include "helpers.h"
#include "mainwindow.h"
#include "ui_mainwindow.h"

#include <QApplication>
#include <QDir>
#include <QTemporaryDir>
#include <QScreen>
#include <QScrollArea>
#include <QScrollBar>
#include <QThread>

#include <cstdio>

namespace {

void settle()
{
    for (int i = 0; i < 10; ++i) {
        QCoreApplication::processEvents(QEventLoop::AllEvents, 50);
        QThread::msleep(30);
    }
}

bool shoot(const QString &path)
{
    settle();
    const QPixmap shot = QGuiApplication::primaryScreen()->grabWindow(0);
    if (shot.isNull() || !shot.save(path)) {
        std::fprintf(stderr, "cannot take or write %s\n", qPrintable(path));
        return false;
    }
    std::printf("%s\n", qPrintable(path));
    return true;
}

} // namespace

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    if (argc != 2) {
        std::fprintf(stderr, "usage: %s OUTPUT_FOLDER\n", argv[0]);
        return 2;
    }
    const QString dir = QDir(QString::fromLocal8Bit(argv[1])).absolutePath();
    QDir().mkpath(dir);
    // The window keeps its state files in the working directory: use a fresh one.
    QTemporaryDir work;
    QDir::setCurrent(work.path());
    initAppResources();
    app.setStyleSheet(readTextFile(QStringLiteral(":/qss/qss/style.qss")));
    MainWindow window;
    window.move(20, 20);
    window.show();
    bool ok = true;
    // Generate a code on the single-generate page first, as a user would.
    window.form()->qrcodeText->setPlainText(QStringLiteral("https://www.vopa.example/ 你好，二维码"));
    window.form()->input_codestr->setText(QStringLiteral("A01"));
    window.form()->qrenButton->click();
    QTabWidget *tabs = window.form()->tabWidget;
    for (int i = 0; i < tabs->count(); ++i) {
        tabs->setCurrentIndex(i);
        const QString base = dir + QStringLiteral("/page%1_%2").arg(i, 2, 10, QLatin1Char('0')).arg(tabs->widget(i)->objectName());
        QScrollArea *scroll = tabs->widget(i)->findChild<QScrollArea *>();
        if (!scroll) {
            ok = shoot(base + ".png") && ok;
            continue;
        }
        scroll->verticalScrollBar()->setValue(scroll->verticalScrollBar()->minimum());
        ok = shoot(base + "_top.png") && ok;
        scroll->verticalScrollBar()->setValue(scroll->verticalScrollBar()->maximum());
        ok = shoot(base + "_bottom.png") && ok;
    }
    return ok ? 0 : 1;
}
