// The main window: the form's pages and by-name connections, the start-up
// state, the window chrome and dragging, the tab bar's look, the web tools
// page, and how closing ends the program.
#include "codelabel.h"
#include "decodefront.h"
#include "helpers.h"
#include "mainwindow.h"
#include "ui_mainwindow.h"
#include "windowfixture.h"

#include <QButtonGroup>
#include <QGridLayout>
#include <QMovie>
#include <QProcess>
#include <QPushButton>
#include <QTabBar>
#include <QToolButton>
#include <QTimer>
#include <QtTest>

#include <cstdio>
#include <sys/stat.h>

namespace {

QStringList g_log;

// A stored reply whose list holds odd entries and addresses that must not open.
const char kStoredTools[] =
    R"j({"tools_data":[{"name":"一","url":"https://one.example/"},"plain",{"name":"f","url":"file:///etc/passwd"},)j"
    R"j({"name":"j","url":"javascript:alert(1)"},{"name":"五"},{"name":"d","url":"data:text/html,x"},)j"
    R"j({"name":"h","url":"http://"},{"name":"ok","url":"HTTPS://Upper.Example/x"}]})j";

int countColour(const QImage &image, const QRect &rect, QRgb colour)
{
    int n = 0;
    for (int y = rect.top(); y <= rect.bottom(); ++y)
        for (int x = rect.left(); x <= rect.right(); ++x)
            n += image.pixel(x, y) == (colour | 0xff000000);
    return n;
}

// The tool buttons in the order they were laid out, four to a row.
QList<QPushButton *> toolButtons(Ui::MainWindow *ui)
{
    QList<QPushButton *> buttons;
    for (int i = 0; i < ui->toolsGridLayout->count(); ++i)
        buttons << qobject_cast<QPushButton *>(ui->toolsGridLayout->itemAt(i)->widget());
    return buttons;
}

void sendMouse(QWidget *target, QEvent::Type type, const QPoint &local, Qt::MouseButton button,
               Qt::MouseButtons buttons)
{
    const QPointF global = target->mapToGlobal(local);
    QMouseEvent event(type, local, target->window()->mapFromGlobal(global.toPoint()), global, button, buttons,
                      Qt::NoModifier);
    QApplication::sendEvent(target, &event);
}

} // namespace

class TestMainWindow : public QObject
{
    Q_OBJECT

    PageFixture m_page;

private slots:
    void init() { m_page.enter(); }
    void cleanup() { m_page.leave(); }

    void formPagesAndConnections()
    {
        g_log.clear();
        const QtMessageHandler previous =
            qInstallMessageHandler([](QtMsgType, const QMessageLogContext &, const QString &text) { g_log << text; });
        MainWindow window;
        qInstallMessageHandler(previous);
        QVERIFY2(g_log.filter("connectSlotsByName").isEmpty(), qPrintable(g_log.join('\n')));

        // The by-name connection warns for every on_ slot it cannot connect.
        int bySlotName = 0;
        for (int i = window.metaObject()->methodOffset(); i < window.metaObject()->methodCount(); ++i)
            bySlotName += window.metaObject()->method(i).name().startsWith("on_");
        QCOMPARE(bySlotName, 95);

        // The eleven pages in their order, the first one shown.
        const QStringList pages = {"tab_one", "tab_batch", "tab_qrencode", "tab_batch_create", "tab_moban",
                                   "tab_visual", "tab_bsd", "tab_lunkuo", "tab_svg", "tab_tools", "tab_statis"};
        const QStringList titles = {"单个解码", "批量解码", "单个生成", "批量生成", "标准样式", "视觉样式",
                                    "色调样式", "轮廓样式", "矢量样式", "网站工具", "统计帮助"};
        QTabWidget *tabs = window.form()->tabWidget;
        QCOMPARE(tabs->count(), pages.size());
        for (int i = 0; i < pages.size(); ++i) {
            QCOMPARE(tabs->widget(i)->objectName(), pages.at(i));
            QCOMPARE(tabs->tabText(i), titles.at(i));
        }
        QCOMPARE(tabs->currentIndex(), 0);
    }

    void startState()
    {
        QVERIFY(writeTextFile(m_page.file("default_dir_qrimg.cache"), QStringLiteral("/data/图片"), false));
        QVERIFY(writeTextFile(m_page.file("default_dir_qrsave.cache"), QStringLiteral("/data/codes"), false));
        MainWindow window;
        Ui::MainWindow *ui = window.form();
        QCOMPARE(window.windowTitle(), QStringLiteral("Vopa二维码解码器"));
        QVERIFY(window.windowFlags() & Qt::FramelessWindowHint);
        QCOMPARE(window.minimumSize(), window.maximumSize());
        QCOMPARE(window.minimumSize(), QSize(800, 650));
        QCOMPARE(window.windowIcon().pixmap(64).toImage(),
                 QIcon(":/images/icon/images/icon/logo.png").pixmap(64).toImage());
        QCOMPARE(window.minimiseButton()->geometry(), QRect(725, 5, 20, 20));
        QCOMPARE(window.closeWindowButton()->geometry(), QRect(755, 5, 20, 20));
        // Each of the two shows the style's title-bar picture of what it does.
        const QImage minPicture = window.style()->standardPixmap(QStyle::SP_TitleBarMinButton).toImage();
        const QImage closePicture = window.style()->standardPixmap(QStyle::SP_TitleBarCloseButton).toImage();
        QVERIFY(!minPicture.isNull() && minPicture != closePicture);
        QCOMPARE(window.minimiseButton()->icon().pixmap(minPicture.size()).toImage(), minPicture);
        QCOMPARE(window.closeWindowButton()->icon().pixmap(closePicture.size()).toImage(), closePicture);
        for (QWidget *hidden : QList<QWidget *>{ui->meihuaBtn, ui->label_jiemaing, ui->label_msg, ui->label_time,
                                                ui->saveQrcodeButton, ui->label_createing, ui->label_create_msg,
                                                ui->label_create_time})
            QVERIFY2(hidden->isHidden(), qPrintable(hidden->objectName()));
        // The remembered folders fill their fields; a missing one leaves the form's text.
        QCOMPARE((QStringList{ui->jiema_path->text(), ui->qrcode_savepath->text(), ui->save_path->text()}),
                 (QStringList{"/data/图片", "/data/codes", ""}));
        // The decode page's sample is the site's address and a code that holds it.
        QCOMPARE(ui->JiemaText->toPlainText(), QString::fromLatin1(kProductSite));
        QCOMPARE(decodeWithZxing(TestSupport::prepareForDecode(QImage(":/images/images/vopa-qr.png"))),
                 QString::fromLatin1(kProductSite));
        // The button groups by id, the first one checked.
        const QList<QAbstractButton *> styles{ui->radioPro, ui->radioVisual, ui->radioBsd, nullptr, ui->radioLunkuo};
        const QList<QAbstractButton *> batch{ui->radioProBatch, ui->radioVisualBatch, ui->radioBsdBatch,
                                             ui->radioSvgBatch, ui->radioLunkuoBatch};
        for (int id = 0; id < 5; ++id)
            QVERIFY(window.styleButtons()->button(id) == styles[id] && window.batchStyleButtons()->button(id) == batch[id]);
        QVERIFY(window.batchFormatButtons()->button(1) == ui->radioCsvExcel);
        QVERIFY(ui->radioPro->isChecked() && ui->radioProBatch->isChecked() && ui->radioCsvDef->isChecked());
        QVERIFY(!window.cameraTicker()->isActive());
    }

    void lastPreviewShown()
    {
        // Without a last preview, "pretest.png" fitted into 250 by 250; a last
        // preview whose suffix is exactly "gif" runs as a movie of that size.
        QImage wide(500, 250, QImage::Format_RGB32);
        wide.fill(Qt::red);
        QVERIFY(wide.save(m_page.file("pretest.png")));
        QCOMPARE(MainWindow().form()->qrenimgLabel->pixmap(Qt::ReturnByValue).size(), QSize(250, 125));
        for (const QString last : {"anim.GIF", "anim.gif"}) {
            QVERIFY(TestSupport::writeAnimatedBackground(m_page.file(last), QSize(100, 100), {100, 100}));
            QVERIFY(writeTextFile(m_page.file("pretest_last.cache"), m_page.file(last), false));
            MainWindow window;
            QMovie *movie = window.form()->qrenimgLabel->movie();
            QCOMPARE(bool(movie), last.endsWith("gif"));
            QCOMPARE(movie ? movie->scaledSize() : window.form()->qrenimgLabel->pixmap(Qt::ReturnByValue).size(),
                     QSize(250, 250));
        }
        // A last preview that is a FIFO shows nothing, and keeps nothing waiting (in a child process, so
        // that a display that blocks fails instead of hanging the suite).
        QVERIFY(::mkfifo(qPrintable(m_page.file("fifo.png")), 0644) == 0 && ::mkfifo(qPrintable(m_page.file("fifo.gif")), 0644) == 0);
        QVERIFY(TestSupport::finishesWithin(20, [this] {
            QLabel label;
            const bool still = showCodeFile(&label, m_page.file("fifo.png"), QSize(250, 250));
            const bool movie = showCodeFile(&label, m_page.file("fifo.gif"), QSize(250, 250));
            return !still && movie && label.movie() && !label.movie()->isValid();
        }));
    }

    void dragging()
    {
        MainWindow window;
        window.move(100, 100);
        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));
        const QPoint start = window.pos();
        QLabel *label = window.form()->jiemaOneMsg;
        for (Qt::MouseButton button : {Qt::RightButton, Qt::MiddleButton}) {
            sendMouse(label, QEvent::MouseButtonPress, QPoint(5, 5), button, button);
            sendMouse(label, QEvent::MouseMove, QPoint(45, 35), Qt::NoButton, button);
            sendMouse(label, QEvent::MouseButtonRelease, QPoint(45, 35), button, Qt::NoButton);
            QCOMPARE(window.pos(), start);
        }
        sendMouse(label, QEvent::MouseButtonPress, QPoint(5, 5), Qt::LeftButton, Qt::LeftButton);
        sendMouse(label, QEvent::MouseMove, QPoint(45, 35), Qt::NoButton, Qt::LeftButton);
        QCOMPARE(window.pos(), start + QPoint(40, 30));
        sendMouse(label, QEvent::MouseButtonRelease, QPoint(45, 35), Qt::LeftButton, Qt::NoButton);
        sendMouse(label, QEvent::MouseMove, QPoint(5, 5), Qt::NoButton, Qt::LeftButton);
        QCOMPARE(window.pos(), start + QPoint(40, 30));
        window.minimiseButton()->click();
        QTRY_VERIFY(window.isMinimized());
    }

    void tabLook()
    {
        // Tabs of 90 by 40; the current one a dark block, the other style pages'
        // titles blue on nothing.
        MainWindow window;
        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));
        QTabBar *bar = window.form()->tabWidget->tabBar();
        QImage image(bar->size(), QImage::Format_ARGB32);
        image.fill(Qt::transparent);
        // Painted without a complaint (an unbalanced painter save is one).
        QCOMPARE(TestSupport::collectMessages([&] { bar->render(&image, QPoint(), QRegion(), QWidget::DrawChildren); },
                                              false),
                 QStringList());
        QCOMPARE(bar->tabRect(10).size(), QSize(90, 40));
        QCOMPARE(image.pixel(bar->tabRect(0).topLeft() + QPoint(1, 1)), qRgb(0x33, 0x33, 0x33));
        QCOMPARE(qAlpha(image.pixel(bar->tabRect(5).topLeft() + QPoint(1, 1))), 0);
        QVERIFY(countColour(image, bar->tabRect(5), qRgb(0x34, 0x98, 0xdb)) > 20);
        QCOMPARE(countColour(image, bar->tabRect(9), qRgb(0x34, 0x98, 0xdb)), 0);
    }

    void toolsPage()
    {
        // No stored reply: the built-in twelve, each opening its address.
        {
            MainWindow window;
            const QList<QPushButton *> buttons = toolButtons(window.form());
            const QJsonArray builtIn = QJsonDocument::fromJson(readTextFile(":/cache/cache/tab_tools.json").toUtf8())
                                           .object().value("tools_data").toArray();
            QCOMPARE(buttons.size(), 12);
            QCOMPARE(window.form()->toolsGridLayout->itemAtPosition(2, 3)->widget(), buttons.last());
            for (int i = 0; i < 12; ++i) {
                QCOMPARE(buttons.at(i)->text(), builtIn.at(i)["name"].toString());
                buttons.at(i)->click();
                QCOMPARE(m_page.urls.opened.value(i), QUrl(builtIn.at(i)["url"].toString()));
            }
        }
        // A stored list: odd entries keep their place; nothing but http and https opens.
        m_page.urls.opened.clear();
        QVERIFY(writeTextFile(m_page.file("check.cache"), QString::fromUtf8(kStoredTools), false));
        {
            MainWindow window;
            const QList<QPushButton *> buttons = toolButtons(window.form());
            QCOMPARE(buttons.size(), 8);
            QCOMPARE(buttons.at(1)->text(), QString());
            QCOMPARE(buttons.at(4)->text(), QStringLiteral("五"));
            for (QPushButton *button : buttons)
                button->click();
            QCOMPARE(m_page.urls.opened, (QList<QUrl>{QUrl("https://one.example/"), QUrl("https://upper.example/x")}));
        }
        // A damaged stored reply: an empty page, no fallback to the built-in list, and no
        // "new version" badge read from it.
        QVERIFY(writeTextFile(m_page.file("check.cache"), QStringLiteral("{\"tools_data\":[{\"name\":"), false));
        MainWindow window;
        QVERIFY(toolButtons(window.form()).isEmpty());
        QCOMPARE(window.versionBadge()->fileName(), QStringLiteral(":/images/images/v-icon.gif"));
    }

    void closingEndsOrKeepsTheProgram()
    {
        // Without a tray the close button ends the program with code 0; a box
        // closed while the window is hidden leaves it running.
        const QList<std::tuple<QString, QByteArray, int>> runs = {{"--close", "closed\n", 0},
                                                                  {"--box", "alive\nclosed\n", 3}};
        for (const auto &[arguments, output, code] : runs) {
            QProcess probe;
            probe.setWorkingDirectory(m_page.cwd.path());
            probe.start(QCoreApplication::applicationFilePath(), {arguments});
            QVERIFY(probe.waitForFinished(30000));
            QCOMPARE(probe.exitStatus(), QProcess::NormalExit);
            QCOMPARE(probe.readAllStandardOutput(), output);
            QCOMPARE(probe.exitCode(), code);
        }
    }
};

// Run with "--close" or "--box", the binary shows the window as the program
// does and, once the event loop runs, presses the close button, or hides the
// window and closes a box, then prints "alive" and leaves with code 3.
// It prints "closed" when the loop has ended.
int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    const QByteArray probe = argc > 1 ? QByteArray(argv[1]) : QByteArray();
    if (probe != "--close" && probe != "--box") {
        TestMainWindow test;
        return QTest::qExec(&test, argc, argv);
    }
    MainWindow window;
    window.show();
    QTimer::singleShot(200, &window, [&] {
        if (probe == "--close")
            return window.closeWindowButton()->click();
        window.hide();
        QTimer::singleShot(100, [] { QApplication::activeModalWidget()->close(); });
        showMessage(QStringLiteral("提示"));
        QTimer::singleShot(300, &app, [&app] { std::printf("alive\n"), app.exit(3); });
    });
    const int code = app.exec();
    std::printf("closed\n");
    return code;
}
#include "tst_mainwindow.moc"
