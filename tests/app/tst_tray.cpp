// The tray icon and its menu, on a real X display with a tray host (started
// by CTest, see xdisplay.sh). Run with "--quit-probe", the binary starts the
// window, hides it and chooses "退出" from the tray menu.
#include "helpers.h"
#include "mainwindow.h"
#include "ui_mainwindow.h"
#include "windowfixture.h"

#include <QMenu>
#include <QProcess>
#include <QToolButton>
#include <QUrlQuery>
#include <QtTest>

#include <cstdio>

namespace {

QAction *entry(MainWindow &window, int index)
{
    return window.trayMenuObject()->actions().value(index);
}

// Shows the window on the first page, then hides or minimises it.
bool putAway(MainWindow &window, bool minimise)
{
    window.showNormal();
    window.form()->tabWidget->setCurrentIndex(0);
    minimise ? window.showMinimized() : window.hide();
    QCoreApplication::processEvents();
    return QTest::qWaitFor([&] { return minimise ? window.isMinimized() : !window.isVisible(); });
}

bool shownNormally(const MainWindow &window)
{
    return window.isVisible() && !window.isMinimized();
}

} // namespace

class TestTray : public QObject
{
    Q_OBJECT

    PageFixture m_page;

private slots:
    void initTestCase() { QVERIFY2(QSystemTrayIcon::isSystemTrayAvailable(), "the X display has no tray host"); }
    void init() { m_page.enter(); }
    void cleanup() { m_page.leave(); }

    void iconMenuAndRestoring()
    {
        MainWindow window;
        QSystemTrayIcon *icon = window.trayIconObject();
        QVERIFY(icon && icon->isVisible() && icon->contextMenu() == window.trayMenuObject());
        QCOMPARE(icon->toolTip(), QStringLiteral("二维码生成器"));
        QTRY_VERIFY(!icon->geometry().isEmpty()); // docked in the tray host
        QStringList texts; // an empty text is a separator
        for (QAction *action : window.trayMenuObject()->actions())
            texts << (action->isSeparator() ? QString() : action->text());
        QCOMPARE(texts, (QStringList{"打开官网", "", "标准样式设置", "视觉样式设置", "色调样式设置", "CSV数据包下载", "", "退出"}));

        // The close button only hides; a click or double click on the icon brings
        // a hidden or minimised window back on its page, a middle click does not.
        window.show();
        QSignalSpy lastClosed(qApp, &QGuiApplication::lastWindowClosed);
        window.closeWindowButton()->click();
        QVERIFY(!window.isVisible() && icon->isVisible() && lastClosed.isEmpty());
        for (const auto reason : {QSystemTrayIcon::Trigger, QSystemTrayIcon::DoubleClick, QSystemTrayIcon::MiddleClick})
            for (const bool minimise : {false, true}) {
                QVERIFY(putAway(window, minimise));
                emit icon->activated(reason);
                QCoreApplication::processEvents();
                QCOMPARE(shownNormally(window), reason != QSystemTrayIcon::MiddleClick);
                QCOMPARE(window.form()->tabWidget->currentIndex(), 0);
            }
    }

    void menuEntries()
    {
        MainWindow window;
        QTabWidget *tabs = window.form()->tabWidget;
        // The style entries show the window on their page, changing it only once.
        const QList<QWidget *> pages{window.form()->tab_moban, window.form()->tab_visual, window.form()->tab_bsd};
        for (int i = 0; i < 3; ++i) {
            QVERIFY(putAway(window, true));
            QSignalSpy pageChanges(tabs, &QTabWidget::currentChanged);
            for (int time = 0; time < 2; ++time) {
                window.hide();
                entry(window, 2 + i)->trigger();
                QVERIFY(shownNormally(window) && tabs->currentWidget() == pages.at(i));
            }
            QCOMPARE(pageChanges.count(), 1);
        }
        // The site entries open the site with "pc=tray" and leave the window hidden.
        for (int index : {0, 5}) {
            QVERIFY(putAway(window, false));
            m_page.urls.opened.clear();
            entry(window, index)->trigger();
            QCOMPARE(m_page.urls.opened.size(), 1);
            QCOMPARE(m_page.urls.opened.first().adjusted(QUrl::RemoveQuery), QUrl(QString::fromLatin1(kProductSite)));
            QCOMPARE(QUrlQuery(m_page.urls.opened.first()).query(), QStringLiteral("pc=tray"));
            QVERIFY(!window.isVisible());
        }
        // "退出" ends a program whose window is hidden, with code 0.
        QProcess probe;
        probe.start(QCoreApplication::applicationFilePath(), {QStringLiteral("--quit-probe")});
        QVERIFY2(probe.waitForFinished(15000), "the program kept running after 退出 was chosen");
        QCOMPARE(probe.exitStatus(), QProcess::NormalExit);
        QCOMPARE(probe.exitCode(), 0);
    }
};

int main(int argc, char *argv[])
{
    // Run by CTest on the virtual display it starts with a tray host.
    if (qEnvironmentVariableIsEmpty("DISPLAY")) {
        std::fprintf(stderr, "FAIL: no X display; run through ctest\n");
        return 1;
    }
    qputenv("QT_QPA_PLATFORM", "xcb");
    QApplication app(argc, argv);
    if (argc < 2 || QByteArray(argv[1]) != "--quit-probe") {
        TestTray test;
        return QTest::qExec(&test, argc, argv);
    }
    MainWindow window;
    window.show();
    QTimer::singleShot(300, &window, [&window] {
        window.hide();
        entry(window, 7)->trigger();
    });
    return app.exec();
}

#include "tst_tray.moc"
