// The update check: the request sent at start, what each reply does to the
// version badge, the boxes, the window and "check.cache", and the badge the
// window starts with. A small HTTP server in this process plays the service.
#include "helpers.h"
#include "mainwindow.h"
#include "testsupport.h"
#include "ui_mainwindow.h"

#include <QAbstractButton>
#include <QImageReader>
#include <QMessageBox>
#include <QMovie>
#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QPointer>
#include <QSysInfo>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTimer>
#include <QtTest>
#include <memory>

namespace {

const QString kPlainBadge = QStringLiteral(":/images/images/v-icon.gif");
const QString kNewBadge = QStringLiteral(":/images/images/vnew-icon.gif");
const QString kDefaultNotice = QStringLiteral("发现新版本，为确保信息安全请更新软件再使用");

// Answers every request with `status` and `body`, or drops the connection,
// and keeps the last request line and headers (names in lower case).
struct UpdateServer : QTcpServer
{
    QByteArray status = "200 OK", body, requestLine;
    QMap<QByteArray, QByteArray> headers;
    bool drop = false;
    int requests = 0;

    UpdateServer()
    {
        connect(this, &QTcpServer::newConnection, this, [this] {
            while (QTcpSocket *socket = nextPendingConnection())
                connect(socket, &QTcpSocket::readyRead, this, [this, socket] { serve(socket); });
        });
    }

    void serve(QTcpSocket *socket)
    {
        const QByteArray received = socket->property("received").toByteArray() + socket->readAll();
        socket->setProperty("received", received);
        const int end = received.indexOf("\r\n\r\n");
        if (end < 0 || socket->property("served").toBool())
            return;
        socket->setProperty("served", true);
        ++requests;
        const QList<QByteArray> lines = received.left(end).split('\n');
        requestLine = lines.first().trimmed();
        headers.clear();
        for (const QByteArray &line : lines.mid(1))
            headers.insert(line.left(line.indexOf(':')).trimmed().toLower(), line.mid(line.indexOf(':') + 1).trimmed());
        if (drop)
            return socket->abort();
        socket->write("HTTP/1.1 " + status + "\r\nContent-Type: application/json\r\nContent-Length: "
                      + QByteArray::number(body.size()) + "\r\nConnection: close\r\n\r\n" + body);
        socket->disconnectFromHost();
    }
};

// Counts the close events of the window it watches.
struct CloseCounter : QObject
{
    int closes = 0;
    bool eventFilter(QObject *, QEvent *event) override
    {
        closes += event->type() == QEvent::Close;
        return false;
    }
};

// Empty when the badge plays `file`: a running movie of its own on the
// label; else what is wrong.
QString badgeProblem(MainWindow &window, const QString &file)
{
    QMovie *movie = window.versionBadge();
    if (!movie || movie->fileName() != file || window.form()->versionImgLabel->movie() != movie || movie->parent()
        || movie->state() != QMovie::Running)
        return QStringLiteral("badge %1, state %2").arg(movie ? movie->fileName() : "none").arg(movie ? movie->state() : -1);
    return QString();
}

// Waits until the window has handled the reply to its request.
bool replied(MainWindow &window)
{
    return QSignalSpy(window.findChild<QNetworkAccessManager *>(), &QNetworkAccessManager::finished).wait(15000);
}

} // namespace

class TestUpdate : public QObject
{
    Q_OBJECT

    TestCwd m_cwd;
    std::unique_ptr<UpdateServer> m_server;
    QStringList m_boxes;

private slots:
    void initTestCase() { qRegisterMetaType<QNetworkReply *>(); }
    void init()
    {
        m_cwd.enter();
        m_server = std::make_unique<UpdateServer>();
        QVERIFY(m_server->listen(QHostAddress::LocalHost));
        qputenv("VOPA_UPDATE_URL", "http://127.0.0.1:" + QByteArray::number(m_server->serverPort()));
        m_boxes.clear();
        setMessageSink([this](const QString &text, const QString &button) {
            m_boxes << (button == QStringLiteral("关 闭") ? QStringLiteral("demand: ") : QStringLiteral("notice: ")) + text;
        });
    }
    void cleanup()
    {
        setMessageSink(nullptr);
        qunsetenv("VOPA_UPDATE_URL");
        m_server.reset();
        m_cwd.leave();
    }

    // What "check.cache" gives the request and the badge the window starts with.
    void startup_data();

    void startup()
    {
        QFETCH(QByteArray, cache);
        QFETCH(QString, cachetime);
        QFETCH(QString, badge);
        if (!cache.isNull())
            QVERIFY(TestSupport::writeBytes(m_cwd.file("check.cache"), cache));
        m_server->body = "{}";
        MainWindow window;
        QVERIFY2(badgeProblem(window, badge).isEmpty(), qPrintable(badgeProblem(window, badge)));
        QVERIFY(replied(window));
        QCOMPARE(m_server->requests, 1);

        // One query value, encoded so that nothing in it can end or split it.
        const QByteArray line = m_server->requestLine;
        QVERIFY2(line.startsWith("GET /Updatecheck.html?cachetime=") && line.endsWith(" HTTP/1.1"), line.constData());
        const QByteArray value = line.mid(32, line.size() - 32 - 9);
        for (char c : value)
            QVERIFY2(c > ' ' && c < 127 && !QByteArray("#&+=?").contains(c), value.constData());
        QCOMPARE(QUrl::fromPercentEncoding(value), cachetime);
        QCOMPARE(m_server->headers.value("vopaversion"), QByteArray("19"));
        const QString system = QSysInfo::productType() + ',' + QSysInfo::productVersion() + ','
                               + QSysInfo::buildCpuArchitecture() + ',' + QSysInfo::currentCpuArchitecture();
        QCOMPARE(m_server->headers.value("vopasysinfo"), system.toUtf8());

        // The pictures: a still plain badge, a new-version badge of two 100 ms
        // frames looping forever, both 64 by 64.
        QImageReader reader(badge);
        QCOMPARE(reader.size(), QSize(64, 64));
        QCOMPARE(reader.imageCount(), badge == kPlainBadge ? 1 : 2);
        if (badge == kNewBadge) {
            QCOMPARE(reader.loopCount(), -1);
            for (int frame = 0; frame < 2; ++frame) {
                QVERIFY(!reader.read().isNull());
                QCOMPARE(reader.nextImageDelay(), 100);
            }
        }
    }

    void replies_data();

    void replies()
    {
        QFETCH(QByteArray, status);
        QFETCH(QByteArray, body);
        QFETCH(bool, drop);
        QFETCH(QString, badge);
        QFETCH(QStringList, boxes);
        QFETCH(bool, stored);
        const QByteArray previous = R"({"dateline":"old","tools_data":[{"name":"旧","url":"https://old.example/"}]})";
        QVERIFY(TestSupport::writeBytes(m_cwd.file("check.cache"), previous));
        m_server->status = status;
        m_server->body = body;
        m_server->drop = drop;

        MainWindow window;
        CloseCounter closeCounter;
        window.installEventFilter(&closeCounter);
        const QPointer<QMovie> startBadge = window.versionBadge();
        QVERIFY(replied(window));
        QCOMPARE(m_boxes, boxes);
        if (badge.isEmpty()) {
            QVERIFY(startBadge && window.versionBadge() == startBadge);
        } else {
            QVERIFY(startBadge.isNull()); // the replaced badge is freed
            QVERIFY2(badgeProblem(window, badge).isEmpty(), qPrintable(badgeProblem(window, badge)));
        }
        // Only a demand closes the window.
        QCOMPARE(closeCounter.closes, boxes.filter(QStringLiteral("demand: ")).size());

        const int nul = body.indexOf('\0');
        QCOMPARE(TestSupport::readBytes(m_cwd.file("check.cache")), stored ? body.left(nul < 0 ? body.size() : nul) : previous);
        QCOMPARE(QDir(m_cwd.path()).entryList({"check.cache*"}, QDir::Files | QDir::Hidden), QStringList{"check.cache"});
        // The page is not rebuilt: it keeps the one stored tool.
        QCOMPARE(window.form()->toolsGridLayout->count(), 1);
    }

    void realDemandBox()
    {
        setMessageSink(nullptr);
        m_server->body = R"({"is_update":2,"update_msg":"请更新后再使用"})";
        for (int dismiss = 0; dismiss < 3; ++dismiss) { // by its button, by Escape, by closing it
            MainWindow window;
            CloseCounter closeCounter;
            window.installEventFilter(&closeCounter);
            // Hidden in the tray when the reply comes.
            window.show();
            QVERIFY(QTest::qWaitForWindowExposed(&window));
            window.hide();

            QString seen; // the box, and the window's closes while it is up
            QTimer watcher;
            connect(&watcher, &QTimer::timeout, this, [&] {
                auto *box = qobject_cast<QMessageBox *>(QApplication::activeModalWidget());
                if (!box || !seen.isEmpty())
                    return;
                QAbstractButton *ok = box->button(QMessageBox::Ok);
                seen = QStringLiteral("%1|%2|%3|buttons %4|icon %5|parent %6|modal %7|quits %8|closes %9")
                           .arg(box->windowTitle(), box->text(), ok ? ok->text() : QString())
                           .arg(box->buttons().size())
                           .arg(int(box->icon()))
                           .arg(int(box->parentWidget() != nullptr))
                           .arg(int(box->isModal()))
                           .arg(int(box->testAttribute(Qt::WA_QuitOnClose)))
                           .arg(closeCounter.closes);
                if (dismiss == 0 && ok)
                    ok->click();
                else if (dismiss == 1)
                    QTest::keyClick(box, Qt::Key_Escape);
                else
                    box->close();
            });
            watcher.start(10);
            QVERIFY(replied(window));
            QCOMPARE(seen, QStringLiteral("提示信息|请更新后再使用|关 闭|buttons 1|icon %1|parent 0|modal 1|quits 0|closes 0")
                               .arg(int(QMessageBox::Warning)));
            QCOMPARE(closeCounter.closes, 1); // once the box has gone
            QVERIFY(m_boxes.isEmpty());
        }
    }
};

// Out of the class: moc reads the class body, and the damaged JSON texts
// here would unbalance its braces.
void TestUpdate::startup_data()
{
    QTest::addColumn<QByteArray>("cache"); // null: no "check.cache"
    QTest::addColumn<QString>("cachetime");
    QTest::addColumn<QString>("badge");
    const auto row = [](const char *name, const QByteArray &cache, const QString &cachetime, bool isNew = false) {
        QTest::newRow(name) << cache << cachetime << (isNew ? kNewBadge : kPlainBadge);
    };
    row("first start", QByteArray(), QString());
    row("empty file", "", QString());
    row("stored dateline", R"({"dateline":"#&+ 中","tools_data":[1]})", QStringLiteral("#&+ 中"));
    row("delimiters", R"({"dateline":"a=b&c=d?e/f%20g;h"})", QStringLiteral("a=b&c=d?e/f%20g;h"));
    row("number", R"({"dateline":20240131,"is_update":0})", QStringLiteral("20240131"));
    row("no dateline", R"({"tools_data":[1]})", QString());
    row("damaged", R"({"dateline":"x","is_update":1,)", QString());
    row("not an object", R"([{"dateline":"x","is_update":1}])", QString());
    row("1", R"({"is_update":1})", QString(), true);
    row("text 7", R"({"is_update":"7"})", QString(), true);
    row("true", R"({"is_update":true})", QString(), true);
    row("0.4", R"({"is_update":0.4})", QString());
}

void TestUpdate::replies_data()
{
    QTest::addColumn<QByteArray>("status");
    QTest::addColumn<QByteArray>("body");
    QTest::addColumn<bool>("drop");
    QTest::addColumn<QString>("badge"); // empty: the start-up badge stays
    QTest::addColumn<QStringList>("boxes");
    QTest::addColumn<bool>("stored");

    const QByteArray ok = "200 OK";
    const auto row = [&](const char *name, const QByteArray &body, const QString &badge, const QStringList &boxes,
                         bool stored = false) { QTest::newRow(name) << ok << body << false << badge << boxes << stored; };
    const auto ignored = [](const char *name, const QByteArray &status, const QByteArray &body, bool drop = false) {
        QTest::newRow(name) << status << body << drop << QString() << QStringList() << false;
    };
    const QString notice = QStringLiteral("notice: ") + kDefaultNotice;
    const QString demand = QStringLiteral("demand: ") + kDefaultNotice;

    row("0, no tools", R"({"is_update":0,"tools_data":[]})", kPlainBadge, {});
    row("1 with text", R"({"is_update":1,"update_msg":"请尽快更新 <b>&</b>"})", kNewBadge,
        {QStringLiteral("notice: 请尽快更新 <b>&</b>")});
    row("1, text missing", R"({"is_update":1})", kNewBadge, {notice});
    row("1, text empty", R"({"is_update":1,"update_msg":""})", kNewBadge, {notice});
    row("2 as text", R"({"is_update":"2","update_msg":"必须更新"})", kNewBadge, {QStringLiteral("demand: 必须更新")});
    row("2, text missing", R"({"is_update":2,"update_msg":null})", kNewBadge, {demand});
    row("3", R"({"is_update":3,"update_msg":"x"})", kNewBadge, {});
    row("1.4", R"({"is_update":1.4})", kNewBadge, {notice});
    row("1.6", R"({"is_update":1.6})", kNewBadge, {demand});
    row("true", R"({"is_update":true})", kNewBadge, {notice});
    row("false", R"({"is_update":false,"tools_data":{}})", kPlainBadge, {});
    row("not a number", R"({"is_update":"two"})", kPlainBadge, {});
    row("tools stored",
        R"({"dateline":"d#1","is_update":1,"update_msg":"新工具","tools_data":[{"name":"甲","url":"https://a.example/"},)"
        R"({"name":"乙","url":"https://b.example/"},{"name":"丙","url":"https://c.example/"}]})",
        kNewBadge, {QStringLiteral("notice: 新工具")}, true);
    row("tools not objects", "{\"tools_data\":[1,\"x\",null]}\n", kPlainBadge, {}, true);
    row("tools not an array", R"({"is_update":0,"tools_data":{"name":"a","url":"b"}})", kPlainBadge, {});
    row("NUL ends the body", QByteArray("{\"is_update\":3,\"tools_data\":[7]}\0 not JSON", 43), kNewBadge, {}, true);

    ignored("NUL breaks it", ok, QByteArray("{\"is_update\":1,\0\"tools_data\":[1]}", 33));
    ignored("error status", "500 Internal Server Error", R"({"is_update":1,"update_msg":"x","tools_data":[1]})");
    ignored("array", ok, R"([{"is_update":1,"tools_data":[1]}])");
    ignored("broken JSON", ok, R"({"is_update":1,"tools_data":[1])");
    ignored("empty body", ok, "");
    ignored("dropped", ok, R"({"is_update":1,"tools_data":[1]})", true);
}

QTEST_MAIN(TestUpdate)
#include "tst_update.moc"
