// The main window: the form's pages and by-name connections, the start-up
// state, the window chrome and dragging, and how closing ends the program.
#include "helpers.h"
#include "mainwindow.h"
#include "ui_mainwindow.h"
#include "windowfixture.h"

#include <QButtonGroup>
#include <QMovie>
#include <QProcess>
#include <QToolButton>
#include <QTimer>
#include <QtTest>

#include <cstdio>

namespace {

QStringList g_log;

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
        for (QWidget *hidden : QList<QWidget *>{ui->meihuaBtn, ui->label_jiemaing, ui->label_msg, ui->label_time,
                                                ui->saveQrcodeButton, ui->label_createing, ui->label_create_msg,
                                                ui->label_create_time})
            QVERIFY2(hidden->isHidden(), qPrintable(hidden->objectName()));
        // The remembered folders fill their fields; a missing one leaves the form's text.
        QCOMPARE((QStringList{ui->jiema_path->text(), ui->qrcode_savepath->text(), ui->save_path->text()}),
                 (QStringList{"/data/图片", "/data/codes", ""}));
        // The decode page's sample is the site's address and a code that holds it.
        QCOMPARE(ui->JiemaText->toPlainText(), QString::fromLatin1(kProductSite));
        QCOMPARE(TestSupport::decodeZXing(TestSupport::prepareForDecode(QImage(":/images/images/vopa-qr.png"))),
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

    void lastPreviewShown_data()
    {
        QTest::addColumn<QString>("last"); // what "pretest_last.cache" names
        QTest::addColumn<QSize>("shown");  // the picture's size, or (-1, 0) for a running movie
        QTest::newRow("nothing yet") << QString() << QSize(0, 0);
        QTest::newRow("pretest.png fitted") << QString() << QSize(250, 125);
        QTest::newRow("gif runs") << "anim.gif" << QSize(-1, 0);
        QTest::newRow("GIF is a picture") << "anim.GIF" << QSize(250, 250);
    }
    void lastPreviewShown()
    {
        QFETCH(QString, last);
        QFETCH(QSize, shown);
        if (shown == QSize(250, 125)) {
            QImage wide(500, 250, QImage::Format_RGB32);
            wide.fill(Qt::red);
            QVERIFY(wide.save(m_page.file("pretest.png")));
        }
        if (!last.isEmpty()) {
            QVERIFY(TestSupport::writeAnimatedBackground(m_page.file(last), QSize(100, 100), {100, 100}));
            QVERIFY(writeTextFile(m_page.file("pretest_last.cache"), m_page.file(last), false));
        }
        MainWindow window;
        QLabel *label = window.form()->qrenimgLabel;
        QMovie *movie = label->movie();
        QCOMPARE(bool(movie), shown.width() < 0);
        if (movie) {
            QCOMPARE(movie->state(), QMovie::Running);
            QCOMPARE(movie->scaledSize(), QSize(250, 250));
            QCOMPARE(movie->parent(), label);
        } else {
            QCOMPARE(label->pixmap(Qt::ReturnByValue).size(), shown);
        }
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
