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

QAction *entry(MainWindow &window, const QString &text)
{
    for (QAction *action : window.trayMenuObject()->actions())
        if (action->text() == text)
            return action;
    return nullptr;
}

// Shows the window on the first page, then hides or minimises it.
bool putAway(MainWindow &window, bool minimise)
{
    window.showNormal();
    if (!QTest::qWaitForWindowExposed(&window))
        return false;
    window.form()->tabWidget->setCurrentIndex(0);
    minimise ? window.showMinimized() : window.hide();
    QCoreApplication::processEvents();
    return !minimise ? !window.isVisible() : window.isMinimized();
}

bool shownNormally(const MainWindow &window)
{
    return window.isVisible() && !window.isMinimized();
}

int quitProbe(QApplication &app)
{
    MainWindow window;
    window.show();
    QTimer::singleShot(300, &window, [&window, &app] {
        window.hide();
        QAction *quit = window.trayMenuObject() ? entry(window, QStringLiteral("退出")) : nullptr;
        quit ? quit->trigger() : app.exit(2);
    });
    return app.exec();
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

    void iconAndMenu()
    {
        MainWindow window;
        QSystemTrayIcon *icon = window.trayIconObject();
        QVERIFY(icon && icon->isVisible() && icon->contextMenu() == window.trayMenuObject());
        QCOMPARE(icon->toolTip(), QStringLiteral("二维码生成器"));
        QTRY_VERIFY(!icon->geometry().isEmpty()); // docked in the tray host
        // The entries in order; an empty text is a separator.
        QStringList texts;
        for (QAction *action : window.trayMenuObject()->actions())
            texts << (action->isSeparator() ? QString() : action->text());
        QCOMPARE(texts, (QStringList{"打开官网", "", "标准样式设置", "视觉样式设置", "色调样式设置", "CSV数据包下载", "", "退出"}));
    }

    void hidingAndRestoring()
    {
        MainWindow window;
        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));
        QSignalSpy lastClosed(qApp, &QGuiApplication::lastWindowClosed);
        window.closeWindowButton()->click();
        QVERIFY(!window.isVisible() && window.trayIconObject()->isVisible());
        QCOMPARE(lastClosed.count(), 0);
        // A click or double click brings a hidden or minimised window back on
        // its page; a middle click does nothing.
        for (const auto reason : {QSystemTrayIcon::Trigger, QSystemTrayIcon::DoubleClick, QSystemTrayIcon::MiddleClick})
            for (const bool minimise : {false, true}) {
                QVERIFY(putAway(window, minimise));
                emit window.trayIconObject()->activated(reason);
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
        const std::pair<const char *, QWidget *> styles[] = {{"标准样式设置", window.form()->tab_moban},
                                                             {"视觉样式设置", window.form()->tab_visual},
                                                             {"色调样式设置", window.form()->tab_bsd}};
        for (const auto &[text, page] : styles) {
            QVERIFY(putAway(window, true));
            QSignalSpy pageChanges(tabs, &QTabWidget::currentChanged);
            for (int time = 0; time < 2; ++time) {
                window.hide();
                entry(window, QString::fromUtf8(text))->trigger();
                QVERIFY2(shownNormally(window) && tabs->currentWidget() == page, text);
            }
            QCOMPARE(pageChanges.count(), 1);
        }
        // The site entries open the site with "pc=tray" and leave the window hidden.
        for (const char *text : {"打开官网", "CSV数据包下载"}) {
            QVERIFY(putAway(window, false));
            m_page.urls.opened.clear();
            entry(window, QString::fromUtf8(text))->trigger();
            QCOMPARE(m_page.urls.opened.size(), 1);
            QCOMPARE(m_page.urls.opened.first().adjusted(QUrl::RemoveQuery), QUrl(QString::fromLatin1(kProductSite)));
            QCOMPARE(QUrlQuery(m_page.urls.opened.first()).query(), QStringLiteral("pc=tray"));
            QVERIFY(!window.isVisible());
        }
    }

    void quitEndsTheProgram()
    {
        QProcess probe;
        probe.setWorkingDirectory(m_page.cwd.path());
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
    if (argc > 1 && QByteArray(argv[1]) == "--quit-probe")
        return quitProbe(app);
    TestTray test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_tray.moc"
