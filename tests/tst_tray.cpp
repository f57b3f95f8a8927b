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
class CloseCounter : public QObject
{
public:
    int closes = 0;
    bool eventFilter(QObject *, QEvent *event) override
    {
        if (event->type() == QEvent::Close)
            ++closes;
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
    return window.isVisible() == minimise && window.isMinimized() == minimise;
}

bool restored(const MainWindow &window)
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

private slots:
    void initTestCase();
    void init() { m_cwd.enter(); }
    void cleanup() { m_cwd.leave(); }

    void iconAndMenu();
    void closeButtonOnlyHides();
    void iconActivation();
    void styleEntries();
    void siteEntries();
    void quitEndsTheProgram();
    void screenshots();

private:
    TestCwd m_cwd;
};

void TestTray::initTestCase()
{
    QCOMPARE(QGuiApplication::platformName(), QStringLiteral("xcb"));
    QVERIFY2(QSystemTrayIcon::isSystemTrayAvailable(), "the X display has no tray host");
}

void TestTray::iconAndMenu()
{
    MainWindow window;
    window.show();
    QSystemTrayIcon *icon = window.trayIconObject();
    QMenu *menu = window.trayMenuObject();
    QVERIFY(icon && menu);
    QCOMPARE(icon->parent(), &window);
    QCOMPARE(menu->parent(), &window);
    QVERIFY(icon->isVisible());
    QCOMPARE(icon->toolTip(), QStringLiteral("二维码生成器"));
    QCOMPARE(icon->contextMenu(), menu);
    QVERIFY2(!icon->icon().isNull(), "no tray icon picture");
    QCOMPARE(icon->icon().pixmap(64).toImage(), QIcon(kIcons + "logo.png").pixmap(64).toImage());
    QCOMPARE(QImage(kIcons + "logo.png").size(), QSize(64, 64));
    QTRY_VERIFY(!icon->geometry().isEmpty()); // docked in the tray host

    const struct
    {
        const char *text; // null for a separator
        const char *icon;
    } expected[] = {{"打开官网", "site.png"},     {nullptr, nullptr},         {"标准样式设置", "pro.png"},
                    {"视觉样式设置", "visual.png"}, {"色调样式设置", "bsd.png"}, {"CSV数据包下载", "csv.png"},
                    {nullptr, nullptr},           {"退出", "quit.png"}};
    const QList<QAction *> actions = menu->actions();
    QCOMPARE(actions.size(), int(std::size(expected)));
    for (int i = 0; i < actions.size(); ++i) {
        QAction *action = actions.at(i);
        const QByteArray entryName = "entry " + QByteArray::number(i);
        const char *where = entryName.constData();
        if (!expected[i].text) {
            QVERIFY2(action->isSeparator(), where);
            continue;
        }
        QVERIFY2(!action->isSeparator(), where);
        QCOMPARE(action->text(), QString::fromUtf8(expected[i].text));
        QCOMPARE(action->parent(), &window);
        QVERIFY2(action->isEnabled() && action->isVisible(), where);
        const QString resource = kIcons + QLatin1String(expected[i].icon);
        QVERIFY2(!action->icon().isNull(), qPrintable(resource));
        QCOMPARE(QImage(resource).size(), QSize(32, 32));
        QCOMPARE(action->icon().pixmap(32).toImage(), QIcon(resource).pixmap(32).toImage());
    }
}

void TestTray::closeButtonOnlyHides()
{
    MainWindow window;
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));
    CloseCounter counter;
    window.installEventFilter(&counter);
    QSignalSpy lastClosed(qApp, &QGuiApplication::lastWindowClosed);
    window.closeWindowButton()->click();
    QVERIFY(!window.isVisible());
    QCOMPARE(counter.closes, 0);
    QCOMPARE(lastClosed.count(), 0);
    QVERIFY(window.trayIconObject()->isVisible());

    // The tray brings it back.
    emit window.trayIconObject()->activated(QSystemTrayIcon::Trigger);
    QVERIFY(restored(window));
}

void TestTray::iconActivation()
{
    MainWindow window;
    QSystemTrayIcon *icon = window.trayIconObject();
    QVERIFY(icon);

    const struct
    {
        QSystemTrayIcon::ActivationReason reason;
        bool restores;
    } reasons[] = {{QSystemTrayIcon::Trigger, true},
                   {QSystemTrayIcon::DoubleClick, true},
                   {QSystemTrayIcon::Context, false},
                   {QSystemTrayIcon::MiddleClick, false},
                   {QSystemTrayIcon::Unknown, false}};
    for (const auto &c : reasons) {
        for (const bool minimise : {false, true}) {
            const QByteArray caseName = QByteArray::number(int(c.reason)) + (minimise ? " minimised" : " hidden");
            const char *where = caseName.constData();
            QVERIFY2(putAway(window, minimise), where);
            emit icon->activated(c.reason);
            QCoreApplication::processEvents();
            if (c.restores) {
                QVERIFY2(restored(window), where);
            } else {
                QVERIFY2(window.isVisible() == minimise && window.isMinimized() == minimise, where);
            }
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
    QVERIFY(restored(window));
}

void TestTray::styleEntries()
{
    MainWindow window;
    QTabWidget *tabs = window.form()->tabWidget;
    const struct
    {
        const char *text;
        QWidget *page;
    } entries[] = {{"标准样式设置", window.form()->tab_moban},
                   {"视觉样式设置", window.form()->tab_visual},
                   {"色调样式设置", window.form()->tab_bsd}};
    for (const auto &e : entries) {
        QAction *action = entry(window, QString::fromUtf8(e.text));
        QVERIFY2(action, e.text);
        for (const bool minimise : {false, true}) {
            QVERIFY(putAway(window, minimise));
            QSignalSpy pageChanges(tabs, &QTabWidget::currentChanged);
            action->trigger();
            QVERIFY2(restored(window), e.text);
            QCOMPARE(tabs->currentWidget(), e.page);
            QCOMPARE(pageChanges.count(), 1);

            // Already on the page: shown again, nothing reloaded.
            window.hide();
            action->trigger();
            QVERIFY2(restored(window), e.text);
            QCOMPARE(tabs->currentWidget(), e.page);
            QCOMPARE(pageChanges.count(), 1);
        }
    }
}

void TestTray::siteEntries()
{
    UrlCatcher catcher;
    QDesktopServices::setUrlHandler(QStringLiteral("http"), &catcher, "open");
    QDesktopServices::setUrlHandler(QStringLiteral("https"), &catcher, "open");
    MainWindow window;
    const QUrl site(QString::fromLatin1(kProductSite));
    for (const char *text : {"打开官网", "CSV数据包下载"}) {
        QAction *action = entry(window, QString::fromUtf8(text));
        QVERIFY2(action, text);
        QVERIFY(putAway(window, false));
        catcher.urls.clear();
        action->trigger();
        QCOMPARE(catcher.urls.size(), 1);
        const QUrl url = catcher.urls.first();
        QCOMPARE(url.adjusted(QUrl::RemoveQuery), site);
        QCOMPARE(QUrlQuery(url).queryItems(), (QList<QPair<QString, QString>>{{"pc", "tray"}}));
        QVERIFY2(!window.isVisible(), text);
        QCOMPARE(window.form()->tabWidget->currentIndex(), 0);
    }
    QDesktopServices::unsetUrlHandler(QStringLiteral("http"));
    QDesktopServices::unsetUrlHandler(QStringLiteral("https"));
}

void TestTray::quitEndsTheProgram()
{
    QProcess probe;
    probe.setWorkingDirectory(m_cwd.path());
    probe.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    probe.start(QCoreApplication::applicationFilePath(), {QStringLiteral("--quit-probe")});
    QVERIFY(probe.waitForStarted());
    if (!probe.waitForFinished(15000)) {
        probe.kill();
        probe.waitForFinished();
        QFAIL("the program kept running after 退出 was chosen");
    }
    QCOMPARE(probe.exitStatus(), QProcess::NormalExit);
    QCOMPARE(probe.exitCode(), 0);
}

void TestTray::screenshots()
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
    const QRect area = icon->geometry().adjusted(-40, -8, 8, 8);
    const QImage tray = screen->grabWindow(0).copy(area).toImage();
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

int main(int argc, char *argv[])
{
    QFile file(QStringLiteral(VOPA_XDISPLAY_FILE));
    const QByteArray display = file.open(QIODevice::ReadOnly) ? file.readAll().trimmed() : QByteArray();
    if (display.isEmpty()) {
        std::fprintf(stderr,
                     "FAIL: no X display: %s is missing or empty; run through ctest, whose x_display_start "
                     "fixture starts Xvfb with a tray host\n",
                     VOPA_XDISPLAY_FILE);
        return 1;
    }
    qputenv("DISPLAY", display);
    qputenv("QT_QPA_PLATFORM", "xcb");
    QApplication app(argc, argv);
    if (argc > 1 && QByteArray(argv[1]) == "--quit-probe")
        return quitProbe(app);
    TestTray test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_tray.moc"
