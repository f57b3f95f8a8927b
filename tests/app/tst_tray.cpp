// The tray icon and its menu, on a real X display with a tray host (started
// by CTest, see xdisplay.sh). Run with "--quit-probe", the binary starts the
// window, hides it and chooses "退出" from the tray menu.
#include "helpers.h"
#include "mainwindow.h"
#include "testsupport.h"
#include "ui_mainwindow.h"

#include <QDesktopServices>
#include <QMenu>
#include <QProcess>
#include <QScreen>
#include <QToolButton>
#include <QUrlQuery>
#include <QtTest>

#include <cstdio>

namespace {

const QString kIcons = QStringLiteral(":/images/icon/images/icon/");

// The pages opened through QDesktopServices, instead of a browser.
class UrlCatcher : public QObject
{
    Q_OBJECT
public:
    QList<QUrl> urls;
public slots:
    void open(const QUrl &url) { urls.append(url); }
};

// Counts the close events a widget receives: close() sends one, hide() none.
struct CloseCounter : QObject
{
    int closes = 0;
    bool eventFilter(QObject *, QEvent *event) override
    {
        closes += event->type() == QEvent::Close;
        return false;
    }
};

QAction *entry(MainWindow &window, const QString &text)
{
    for (QAction *action : window.trayMenuObject()->actions())
        if (action->text() == text)
            return action;
    return nullptr;
}

// The platform's widget that draws the icon inside the tray host.
QWidget *trayWidget(const QSystemTrayIcon *icon)
{
    for (QWidget *widget : QApplication::topLevelWidgets())
        if (widget->isVisible() && QRect(widget->mapToGlobal(QPoint()), widget->size()) == icon->geometry())
            return widget;
    return nullptr;
}

// Hidden, or minimised, or shown normally (`state` 0, 1, 2).
bool inState(const MainWindow &window, int state)
{
    return window.isVisible() == (state > 0) && window.isMinimized() == (state == 1);
}

// Shows the window on the first page, then hides or minimises it.
bool putAway(MainWindow &window, bool minimise)
{
    window.showNormal();
    if (!QTest::qWaitForWindowExposed(&window))
        return false;
    window.form()->tabWidget->setCurrentIndex(0);
    if (minimise)
        window.showMinimized();
    else
        window.hide();
    QCoreApplication::processEvents();
    return inState(window, minimise);
}

int quitProbe(QApplication &app)
{
    MainWindow window;
    window.show();
    QTimer::singleShot(300, &window, [&window, &app] {
        window.hide();
        QAction *quit = window.trayMenuObject() ? entry(window, QStringLiteral("退出")) : nullptr;
        if (!quit) {
            std::fprintf(stderr, "no tray menu with 退出\n");
            app.exit(2);
            return;
        }
        quit->trigger();
    });
    return app.exec();
}

} // namespace

class TestTray : public QObject
{
    Q_OBJECT

    TestCwd m_cwd;

private slots:
    void initTestCase()
    {
        QCOMPARE(QGuiApplication::platformName(), QStringLiteral("xcb"));
        QVERIFY2(QSystemTrayIcon::isSystemTrayAvailable(), "the X display has no tray host");
    }
    void init() { m_cwd.enter(); }
    void cleanup() { m_cwd.leave(); }

    void iconAndMenu()
    {
        MainWindow window;
        window.show();
        QSystemTrayIcon *icon = window.trayIconObject();
        QMenu *menu = window.trayMenuObject();
        QVERIFY(icon && menu);
        QVERIFY(icon->parent() == &window && menu->parent() == &window && icon->contextMenu() == menu);
        QVERIFY(icon->isVisible());
        QCOMPARE(icon->toolTip(), QStringLiteral("二维码生成器"));
        QCOMPARE(QImage(kIcons + "logo.png").size(), QSize(64, 64));
        QCOMPARE(icon->icon().pixmap(64).toImage(), QIcon(kIcons + "logo.png").pixmap(64).toImage());
        QTRY_VERIFY(!icon->geometry().isEmpty()); // docked in the tray host

        // Entries in order, empty for a separator, with their icons.
        const QStringList texts{"打开官网",     "",         "标准样式设置", "视觉样式设置",
                                "色调样式设置", "CSV数据包下载", "",           "退出"};
        const QStringList icons{"site", "", "pro", "visual", "bsd", "csv", "", "quit"};
        const QList<QAction *> actions = menu->actions();
        QCOMPARE(actions.size(), texts.size());
        for (int i = 0; i < actions.size(); ++i) {
            QAction *action = actions.at(i);
            QCOMPARE(action->text(), texts.at(i));
            QCOMPARE(action->isSeparator(), texts.at(i).isEmpty());
            if (action->isSeparator())
                continue;
            QVERIFY(action->parent() == &window && action->isEnabled() && action->isVisible());
            const QString resource = kIcons + icons.at(i) + ".png";
            QCOMPARE(QImage(resource).size(), QSize(32, 32));
            QCOMPARE(action->icon().pixmap(32).toImage(), QIcon(resource).pixmap(32).toImage());
        }
    }

    void closeButtonOnlyHides()
    {
        MainWindow window;
        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));
        CloseCounter counter;
        window.installEventFilter(&counter);
        QSignalSpy lastClosed(qApp, &QGuiApplication::lastWindowClosed);
        window.closeWindowButton()->click();
        QVERIFY(!window.isVisible() && window.trayIconObject()->isVisible());
        QCOMPARE(counter.closes, 0);
        QCOMPARE(lastClosed.count(), 0);
    }

    void iconActivation()
    {
        MainWindow window;
        QSystemTrayIcon *icon = window.trayIconObject();
        QVERIFY(icon);
        // Trigger and DoubleClick restore a hidden or minimised window on the
        // page it had; the other reasons do nothing.
        for (const auto reason : {QSystemTrayIcon::Trigger, QSystemTrayIcon::DoubleClick, QSystemTrayIcon::Context,
                                  QSystemTrayIcon::MiddleClick, QSystemTrayIcon::Unknown}) {
            for (const bool minimise : {false, true}) {
                QVERIFY(putAway(window, minimise));
                emit icon->activated(reason);
                QCoreApplication::processEvents();
                const bool restores = reason == QSystemTrayIcon::Trigger || reason == QSystemTrayIcon::DoubleClick;
                QVERIFY2(inState(window, restores ? 2 : minimise), qPrintable(QString::number(reason)));
                QCOMPARE(window.form()->tabWidget->currentIndex(), 0);
            }
        }

        // Real clicks on the icon in the tray host: the left button restores, the
        // middle one does nothing, the right one only opens the menu.
        QTRY_VERIFY(!icon->geometry().isEmpty());
        QWidget *dock = trayWidget(icon);
        QVERIFY2(dock, "the tray icon's widget was not found");
        QVERIFY(putAway(window, false));
        QTest::mouseClick(dock, Qt::MiddleButton);
        QVERIFY(!window.isVisible());
        QTest::mouseClick(dock, Qt::RightButton);
        QTRY_VERIFY(window.trayMenuObject()->isVisible());
        QVERIFY(!window.isVisible());
        window.trayMenuObject()->hide();
        QTest::mouseClick(dock, Qt::LeftButton);
        QVERIFY(inState(window, 2));
    }

    void styleEntries()
    {
        MainWindow window;
        QTabWidget *tabs = window.form()->tabWidget;
        const std::pair<QString, QWidget *> entries[] = {{"标准样式设置", window.form()->tab_moban},
                                                         {"视觉样式设置", window.form()->tab_visual},
                                                         {"色调样式设置", window.form()->tab_bsd}};
        for (const auto &[text, page] : entries) {
            QAction *action = entry(window, text);
            QVERIFY2(action, qPrintable(text));
            for (const bool minimise : {false, true}) {
                QVERIFY(putAway(window, minimise));
                QSignalSpy pageChanges(tabs, &QTabWidget::currentChanged);
                // The second time it is already on the page: shown again, nothing reloaded.
                for (int time = 0; time < 2; ++time) {
                    if (time)
                        window.hide();
                    action->trigger();
                    QVERIFY2(inState(window, 2), qPrintable(text));
                    QCOMPARE(tabs->currentWidget(), page);
                    QCOMPARE(pageChanges.count(), 1);
                }
            }
        }
    }

    void siteEntries()
    {
        UrlCatcher catcher;
        QDesktopServices::setUrlHandler(QStringLiteral("http"), &catcher, "open");
        QDesktopServices::setUrlHandler(QStringLiteral("https"), &catcher, "open");
        MainWindow window;
        for (const char *text : {"打开官网", "CSV数据包下载"}) {
            QAction *action = entry(window, QString::fromUtf8(text));
            QVERIFY2(action, text);
            QVERIFY(putAway(window, false));
            catcher.urls.clear();
            action->trigger();
            QCOMPARE(catcher.urls.size(), 1);
            QCOMPARE(catcher.urls.first().adjusted(QUrl::RemoveQuery), QUrl(QString::fromLatin1(kProductSite)));
            QCOMPARE(QUrlQuery(catcher.urls.first()).queryItems(), (QList<QPair<QString, QString>>{{"pc", "tray"}}));
            QVERIFY2(!window.isVisible(), text);
            QCOMPARE(window.form()->tabWidget->currentIndex(), 0);
        }
        QDesktopServices::unsetUrlHandler(QStringLiteral("http"));
        QDesktopServices::unsetUrlHandler(QStringLiteral("https"));
    }

    void quitEndsTheProgram()
    {
        QProcess probe;
        probe.setWorkingDirectory(m_cwd.path());
        probe.setProcessChannelMode(QProcess::ForwardedErrorChannel);
        probe.start(QCoreApplication::applicationFilePath(), {QStringLiteral("--quit-probe")});
        const bool ended = probe.waitForFinished(15000);
        if (!ended)
            probe.kill();
        QVERIFY2(ended, "the program kept running after 退出 was chosen");
        QCOMPARE(probe.exitStatus(), QProcess::NormalExit);
        QCOMPARE(probe.exitCode(), 0);
    }

    void screenshots()
    {
        MainWindow window;
        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));
        QSystemTrayIcon *icon = window.trayIconObject();
        QTRY_VERIFY(!icon->geometry().isEmpty());
        QWidget *dock = trayWidget(icon);
        QVERIFY(dock);
        QTest::qWait(300);

        QScreen *screen = QGuiApplication::primaryScreen();
        const QImage tray = screen->grabWindow(0).copy(icon->geometry().adjusted(-40, -8, 8, 8)).toImage();
        TestSupport::saveToGallery(QStringLiteral("tray_area"), tray.scaled(tray.size() * 4));
        // The logo is drawn in the tray: the icon's square is not one flat colour.
        const QImage docked = screen->grabWindow(0).copy(icon->geometry()).toImage().convertToFormat(QImage::Format_RGB32);
        QSet<QRgb> colours;
        for (int y = 0; y < docked.height(); ++y)
            for (int x = 0; x < docked.width(); ++x)
                colours.insert(docked.pixel(x, y));
        QVERIFY2(colours.size() > 4, "the tray icon shows no picture");

        QTest::mouseClick(dock, Qt::RightButton);
        QMenu *menu = window.trayMenuObject();
        QTRY_VERIFY(menu->isVisible());
        QVERIFY(QTest::qWaitForWindowExposed(menu));
        QTest::qWait(300);
        TestSupport::saveToGallery(QStringLiteral("tray_menu"), screen->grabWindow(0).toImage());
        menu->hide();
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
