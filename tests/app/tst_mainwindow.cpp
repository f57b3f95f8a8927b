// The main window: what its constructor sets up, the window chrome, dragging,
// and the slots connected by name.
#include "helpers.h"
#include "mainwindow.h"
#include "testsupport.h"
#include "ui_mainwindow.h"

#include <QButtonGroup>
#include <QMetaMethod>
#include <QMovie>
#include <QProcess>
#include <QToolButton>
#include <QtTest>

namespace {

QStringList g_messages;

void collectMessages(QtMsgType, const QMessageLogContext &, const QString &text)
{
    g_messages.append(text);
}

// Number of connections to a signal of an object.
class SignalReceivers : public QObject
{
public:
    static int count(QObject *object, const QMetaMethod &signal)
    {
        const QByteArray signature = QByteArray::number(QSIGNAL_CODE) + signal.methodSignature();
        return static_cast<SignalReceivers *>(object)->receivers(signature.constData());
    }
};

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

private slots:
    void init()
    {
        m_cwd.enter();
        // Buttons pressed here must not open modal boxes.
        setMessageSink([](const QString &, const QString &) {});
    }
    void cleanup()
    {
        setMessageSink(nullptr);
        m_cwd.leave();
    }

    void slotsConnectByName();
    void windowAndChrome();
    void startState();
    void rememberedFolders();
    void lastPreview();
    void dragging();
    void closingEndsOrKeepsTheProgram();

private:
    TestCwd m_cwd;
};

void TestMainWindow::slotsConnectByName()
{
    g_messages.clear();
    const QtMessageHandler previous = qInstallMessageHandler(collectMessages);
    {
        MainWindow window;
        qInstallMessageHandler(previous);
        for (const QString &message : qAsConst(g_messages))
            QVERIFY2(!message.contains(QLatin1String("connectSlotsByName")), qPrintable(message));

        // Every on_<object>_<signal> slot names a widget of the form and is
        // connected to that widget's signal.
        const QMetaObject *meta = window.metaObject();
        int bySlotName = 0;
        QStringList problems;
        for (int i = meta->methodOffset(); i < meta->methodCount(); ++i) {
            const QMetaMethod slot = meta->method(i);
            const QString name = QString::fromLatin1(slot.name());
            if (slot.methodType() != QMetaMethod::Slot || !name.startsWith(QLatin1String("on_")))
                continue;
            ++bySlotName;
            const int split = name.lastIndexOf(QLatin1Char('_'));
            const QString objectName = name.mid(3, split - 3);
            const QString signalName = name.mid(split + 1);
            QObject *object = window.findChild<QObject *>(objectName);
            if (!object) {
                problems << name + ": no object " + objectName;
                continue;
            }
            const QMetaObject *objectMeta = object->metaObject();
            int connected = 0;
            for (int s = 0; s < objectMeta->methodCount(); ++s) {
                const QMetaMethod signal = objectMeta->method(s);
                if (signal.methodType() == QMetaMethod::Signal && signal.name() == signalName.toLatin1()
                    && signal.parameterTypes() == slot.parameterTypes())
                    connected += SignalReceivers::count(object, signal);
            }
            if (connected < 1)
                problems << name + ": not connected";
        }
        QVERIFY2(problems.isEmpty(), qPrintable(problems.join('\n')));
        QCOMPARE(bySlotName, 95);
    }
}

void TestMainWindow::windowAndChrome()
{
    MainWindow window;
    Ui::MainWindow *ui = window.form();
    QCOMPARE(window.windowTitle(), QStringLiteral("Vopa二维码解码器"));
    QCOMPARE(window.windowFlags() & Qt::FramelessWindowHint, Qt::FramelessWindowHint);
    QCOMPARE(window.minimumSize(), QSize(800, 650));
    QCOMPARE(window.maximumSize(), QSize(800, 650));
    QCOMPARE(ui->tabWidget->currentWidget(), ui->tab_one);

    // The title buttons in the top right corner, above the pages.
    QToolButton *minButton = window.minimiseButton();
    QToolButton *closeButton = window.closeWindowButton();
    QCOMPARE(minButton->geometry(), QRect(725, 5, 20, 20));
    QCOMPARE(closeButton->geometry(), QRect(755, 5, 20, 20));
    QCOMPARE(minButton->toolTip(), QStringLiteral("最小化"));
    QCOMPARE(closeButton->toolTip(), QStringLiteral("关闭"));
    QCOMPARE(minButton->parentWidget(), &window);
    QVERIFY(window.children().indexOf(minButton) > window.children().indexOf(ui->centralWidget));
    QVERIFY(!minButton->icon().isNull());
    QVERIFY(!closeButton->icon().isNull());

    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));
    minButton->click();
    QTRY_VERIFY(window.isMinimized());
}

void TestMainWindow::startState()
{
    MainWindow window;
    Ui::MainWindow *ui = window.form();
    // Hidden at start until their page uses them.
    for (QWidget *widget : {static_cast<QWidget *>(ui->meihuaBtn), static_cast<QWidget *>(ui->label_jiemaing),
                            static_cast<QWidget *>(ui->label_msg), static_cast<QWidget *>(ui->label_time),
                            static_cast<QWidget *>(ui->saveQrcodeButton), static_cast<QWidget *>(ui->label_createing),
                            static_cast<QWidget *>(ui->label_create_msg),
                            static_cast<QWidget *>(ui->label_create_time)})
        QVERIFY2(widget->isHidden(), qPrintable(widget->objectName()));
    QVERIFY(!ui->jiemaOneBtn->isHidden());

    // The decode page's sample: the site address and its code, fitted into 360 by 360.
    QCOMPARE(ui->JiemaText->toPlainText(), QString::fromLatin1(kProductSite));
    QCOMPARE(ui->preImgLabel->pixmap(Qt::ReturnByValue).size(), QSize(360, 360));
    const QString sample = TestSupport::decodeZXing(
        TestSupport::prepareForDecode(QImage(":/images/images/vopa-qr.png")));
    QCOMPARE(sample, QString::fromLatin1(kProductSite));
    QCOMPARE(QImage(":/images/images/vopa-qr.png").size(), QSize(400, 400));

    // The button groups and their ids; the first button of each checked.
    struct Member { QAbstractButton *button; int id; };
    const QList<QPair<QButtonGroup *, QList<Member>>> groups = {
        {window.styleButtons(), {{ui->radioPro, 0}, {ui->radioVisual, 1}, {ui->radioBsd, 2}, {ui->radioLunkuo, 4}}},
        {window.batchStyleButtons(),
         {{ui->radioProBatch, 0}, {ui->radioVisualBatch, 1}, {ui->radioBsdBatch, 2}, {ui->radioSvgBatch, 3},
          {ui->radioLunkuoBatch, 4}}},
        {window.batchFormatButtons(), {{ui->radioCsvDef, 0}, {ui->radioCsvExcel, 1}}},
    };
    for (const auto &group : groups) {
        QVERIFY(group.first->exclusive());
        QCOMPARE(group.first->buttons().size(), group.second.size());
        for (const Member &member : group.second)
            QCOMPARE(group.first->id(member.button), member.id);
        QCOMPARE(group.first->checkedId(), 0);
    }

    // The camera timer exists and is not running.
    QVERIFY(window.cameraTicker());
    QVERIFY(!window.cameraTicker()->isActive());
    // Offscreen there is no tray: no tray objects.
    QVERIFY(!window.trayIconObject());
}

void TestMainWindow::rememberedFolders()
{
    {
        MainWindow window;
        QCOMPARE(window.form()->jiema_path->text(), QString());
        QCOMPARE(window.form()->qrcode_savepath->text(), QString());
    }
    QVERIFY(writeTextFile(m_cwd.file("default_dir_qrimg.cache"), QStringLiteral("/data/图片"), false));
    QVERIFY(writeTextFile(m_cwd.file("default_dir_qrdata.cache"), QStringLiteral("/data/结果"), false));
    QVERIFY(writeTextFile(m_cwd.file("default_dir_qrsave.cache"), QStringLiteral("/data/codes"), false));
    {
        MainWindow window;
        QCOMPARE(window.form()->jiema_path->text(), QStringLiteral("/data/图片"));
        QCOMPARE(window.form()->save_path->text(), QStringLiteral("/data/结果"));
        QCOMPARE(window.form()->qrcode_savepath->text(), QStringLiteral("/data/codes"));
    }
    // An empty file leaves the field as the form made it.
    QVERIFY(writeTextFile(m_cwd.file("default_dir_qrimg.cache"), QString(), false));
    MainWindow window;
    QCOMPARE(window.form()->jiema_path->text(), QString());
    QCOMPARE(window.form()->save_path->text(), QStringLiteral("/data/结果"));
}

void TestMainWindow::lastPreview()
{
    {
        // Nothing yet: the label stays empty.
        MainWindow window;
        QVERIFY(window.form()->qrenimgLabel->pixmap(Qt::ReturnByValue).isNull());
        QVERIFY(!window.form()->qrenimgLabel->movie());
    }
    // "pretest.png" without a last-preview file: scaled to fit 250 by 250.
    QImage wide(500, 250, QImage::Format_RGB32);
    wide.fill(Qt::red);
    QVERIFY(wide.save(m_cwd.file("pretest.png")));
    {
        MainWindow window;
        QCOMPARE(window.form()->qrenimgLabel->pixmap(Qt::ReturnByValue).size(), QSize(250, 125));
    }
    // The last preview named by "pretest_last.cache"; a ".gif" runs as a movie.
    QVERIFY(TestSupport::writeAnimatedBackground(m_cwd.file("anim.gif"), QSize(100, 100), {100, 100}));
    QVERIFY(writeTextFile(m_cwd.file("pretest_last.cache"), m_cwd.file("anim.gif"), false));
    {
        MainWindow window;
        QMovie *movie = window.form()->qrenimgLabel->movie();
        QVERIFY(movie);
        QCOMPARE(movie->state(), QMovie::Running);
        QCOMPARE(movie->scaledSize(), QSize(250, 250));
        QCOMPARE(movie->parent(), window.form()->qrenimgLabel);
    }
    // "GIF" in capitals is shown as a still picture.
    QVERIFY(QFile::copy(m_cwd.file("anim.gif"), m_cwd.file("anim.GIF")));
    QVERIFY(writeTextFile(m_cwd.file("pretest_last.cache"), m_cwd.file("anim.GIF"), false));
    MainWindow window;
    QVERIFY(!window.form()->qrenimgLabel->movie());
    QCOMPARE(window.form()->qrenimgLabel->pixmap(Qt::ReturnByValue).size(), QSize(250, 250));
}

void TestMainWindow::dragging()
{
    MainWindow window;
    window.move(100, 100);
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));
    const QPoint start = window.pos();
    QLabel *label = window.form()->jiemaOneMsg;

    // Right and middle buttons never move the window.
    for (Qt::MouseButton button : {Qt::RightButton, Qt::MiddleButton}) {
        sendMouse(label, QEvent::MouseButtonPress, QPoint(5, 5), button, button);
        sendMouse(label, QEvent::MouseMove, QPoint(45, 35), Qt::NoButton, button);
        sendMouse(label, QEvent::MouseButtonRelease, QPoint(45, 35), button, Qt::NoButton);
        QCOMPARE(window.pos(), start);
    }
    // A left drag moves it by the distance the cursor went.
    sendMouse(label, QEvent::MouseButtonPress, QPoint(5, 5), Qt::LeftButton, Qt::LeftButton);
    sendMouse(label, QEvent::MouseMove, QPoint(45, 35), Qt::NoButton, Qt::LeftButton);
    QCOMPARE(window.pos(), start + QPoint(40, 30));
    // A right click during the drag ends it.
    sendMouse(label, QEvent::MouseButtonPress, QPoint(5, 5), Qt::RightButton, Qt::LeftButton | Qt::RightButton);
    sendMouse(label, QEvent::MouseButtonRelease, QPoint(5, 5), Qt::RightButton, Qt::LeftButton);
    const QPoint afterDrag = window.pos();
    sendMouse(label, QEvent::MouseMove, QPoint(25, 25), Qt::NoButton, Qt::LeftButton);
    QCOMPARE(window.pos(), afterDrag);
    // A press on a button starts no drag.
    sendMouse(window.form()->qrenButton, QEvent::MouseButtonPress, QPoint(5, 5), Qt::LeftButton, Qt::LeftButton);
    sendMouse(window.form()->qrenButton, QEvent::MouseMove, QPoint(55, 25), Qt::NoButton, Qt::LeftButton);
    sendMouse(window.form()->qrenButton, QEvent::MouseButtonRelease, QPoint(55, 25), Qt::LeftButton, Qt::NoButton);
    QCOMPARE(window.pos(), afterDrag);
}

namespace {

// Runs the window in a process of its own (see close_probe.cpp).
bool runProbe(const QString &dir, const QStringList &arguments, int *exitCode, QByteArray *output)
{
    QProcess process;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert("QT_QPA_PLATFORM", "offscreen");
    process.setProcessEnvironment(env);
    process.setWorkingDirectory(dir);
    process.start(QStringLiteral(VOPA_CLOSE_PROBE), arguments);
    if (!process.waitForFinished(30000) || process.exitStatus() != QProcess::NormalExit)
        return false;
    *exitCode = process.exitCode();
    *output = process.readAllStandardOutput();
    return true;
}

} // namespace

void TestMainWindow::closingEndsOrKeepsTheProgram()
{
    // On a platform without a tray the title close button ends the process
    // with exit code 0.
    int code = -1;
    QByteArray output;
    QVERIFY(runProbe(m_cwd.path(), {}, &code, &output));
    QCOMPARE(code, 0);
    QCOMPARE(output, QByteArray("closed\n"));

    // A warning box closed while the window is hidden leaves the program
    // running: the probe is still alive afterwards and leaves with its own code.
    QVERIFY(runProbe(m_cwd.path(), {"box"}, &code, &output));
    QCOMPARE(output, QByteArray("alive\nclosed\n"));
    QCOMPARE(code, 3);
}

QTEST_MAIN(TestMainWindow)
#include "tst_mainwindow.moc"
