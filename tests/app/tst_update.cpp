// The update check: the reading of a reply, the request sent at start, and
// what a reply does to the version badge, the boxes, the window and
// "check.cache". A small HTTP server in this process plays the service.
#include "helpers.h"
#include "mainwindow.h"
#include "ui_mainwindow.h"
#include "updatereply.h"
#include "windowfixture.h"

#include <QMovie>
#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QSysInfo>
#include <QTcpServer>
#include <QTcpSocket>
#include <QtTest>
#include <memory>

namespace {

// Answers every request with `status` and `body` and keeps the request's head.
struct UpdateServer : QTcpServer
{
    QByteArray status = "200 OK", body, head;

    UpdateServer()
    {
        connect(this, &QTcpServer::newConnection, this, [this] {
            QTcpSocket *socket = nextPendingConnection();
            connect(socket, &QTcpSocket::readyRead, this, [this, socket] {
                head += socket->readAll();
                if (!head.contains("\r\n\r\n"))
                    return;
                socket->write("HTTP/1.1 " + status + "\r\nContent-Length: " + QByteArray::number(body.size())
                              + "\r\nConnection: close\r\n\r\n" + body);
                socket->disconnectFromHost();
            });
        });
    }
};

struct CloseCounter : QObject
{
    int closes = 0;
    bool eventFilter(QObject *, QEvent *event) override
    {
        closes += event->type() == QEvent::Close;
        return false;
    }
};

const QString kNotice = QStringLiteral("发现新版本，为确保信息安全请更新软件再使用");
const QByteArray kStored = R"({"dateline":"#&+ 中","tools_data":[{"name":"旧","url":"https://old.example/"}]})";

} // namespace

class TestUpdate : public QObject
{
    Q_OBJECT

    PageFixture m_page;
    std::unique_ptr<UpdateServer> m_server;

    // Runs a window until it has handled the reply; the boxes it showed, as
    // "button: text", and its closes.
    QStringList replyEffects(MainWindow &window, int *closes)
    {
        CloseCounter counter;
        window.installEventFilter(&counter);
        // The request goes out once the window is up; its reply is handled as it finishes.
        const auto handled = [&] {
            const auto *manager = window.findChild<QNetworkAccessManager *>();
            const QList<QNetworkReply *> replies = manager ? manager->findChildren<QNetworkReply *>() : QList<QNetworkReply *>();
            return !replies.isEmpty() && std::all_of(replies.begin(), replies.end(), [](QNetworkReply *r) { return r->isFinished(); });
        };
        if (!QTest::qWaitFor(handled, 15000))
            return {"the reply was not handled"};
        *closes = counter.closes;
        QStringList boxes;
        for (int i = 0; i < m_page.messages.size(); ++i)
            boxes << m_page.buttons.at(i) + ": " + m_page.messages.at(i);
        return boxes;
    }

private slots:
    void initTestCase() { qRegisterMetaType<QNetworkReply *>(); }
    void init()
    {
        m_page.enter();
        m_server = std::make_unique<UpdateServer>();
        QVERIFY(m_server->listen(QHostAddress::LocalHost));
        qputenv("VOPA_UPDATE_URL", "http://127.0.0.1:" + QByteArray::number(m_server->serverPort()));
        QVERIFY(TestSupport::writeBytes(m_page.file("check.cache"), kStored));
    }
    void cleanup()
    {
        qunsetenv("VOPA_UPDATE_URL");
        m_server.reset();
        m_page.leave();
    }

    void reading_data();
    void reading()
    {
        QFETCH(QByteArray, body);
        QFETCH(bool, valid);
        QFETCH(int, flag);
        QFETCH(QString, message);
        QFETCH(bool, stores);
        const UpdateReply reply = readUpdateReply(body);
        QCOMPARE(reply.valid, valid);
        if (valid)
            QCOMPARE((std::tuple<int, QString, bool>(reply.updateFlag, reply.message, reply.storesTools)),
                     (std::tuple<int, QString, bool>(flag, message, stores)));
    }

    void requestAndReplies()
    {
        // The stored dateline goes back whole as one encoded query value.
        m_server->body = R"({"dateline":"d#1","is_update":1,"update_msg":"新工具","tools_data":[{"name":"甲"}]})";
        MainWindow window;
        int closes = 0;
        QCOMPARE(replyEffects(window, &closes), QStringList{"确 定: 新工具"});
        const QString system = QSysInfo::productType() + ',' + QSysInfo::productVersion() + ','
                               + QSysInfo::buildCpuArchitecture() + ',' + QSysInfo::currentCpuArchitecture();
        QVERIFY2(m_server->head.startsWith("GET /Updatecheck.html?cachetime=%23%26%2B%20%E4%B8%AD HTTP/1.1\r\n"),
                 m_server->head.constData());
        QVERIFY(m_server->head.contains("\r\nvopaversion: 19\r\n"));
        QVERIFY(m_server->head.contains("\r\nvopasysinfo: " + system.toUtf8() + "\r\n"));
        // A list of tools replaces the stored reply whole; the page keeps the old
        // list; the badge tells of the new version; the window stays.
        const QByteArray stored = m_server->body;
        QCOMPARE(TestSupport::readBytes(m_page.file("check.cache")), stored);
        QCOMPARE(window.form()->toolsGridLayout->count(), 1);
        QCOMPARE(window.versionBadge()->fileName(), QStringLiteral(":/images/images/vnew-icon.gif"));
        QVERIFY(window.form()->versionImgLabel->movie() == window.versionBadge());
        QCOMPARE(closes, 0);

        // A demand: its box's button is "关 闭" and the window closes.
        m_page.messages.clear();
        m_page.buttons.clear();
        m_server->body = R"({"is_update":2})";
        MainWindow demanded;
        QCOMPARE(replyEffects(demanded, &closes), QStringList{"关 闭: " + kNotice});
        QCOMPARE(closes, 1);
        // A reply without tools, and a failed request, keep the stored reply; a
        // failed request shows no box and leaves the badge the stored reply gave.
        m_page.messages.clear();
        m_server->status = "500 Internal Server Error";
        MainWindow failed;
        QCOMPARE(replyEffects(failed, &closes), QStringList());
        QCOMPARE(failed.versionBadge()->fileName(), QStringLiteral(":/images/images/vnew-icon.gif"));
        QCOMPARE(TestSupport::readBytes(m_page.file("check.cache")), stored);
    }
};

// Out of the class: moc reads the class body, and the damaged JSON texts
// here would unbalance its braces.
void TestUpdate::reading_data()
{
    QTest::addColumn<QByteArray>("body");
    QTest::addColumn<bool>("valid");
    QTest::addColumn<int>("flag");
    QTest::addColumn<QString>("message");
    QTest::addColumn<bool>("stores");
    const auto row = [](const char *name, const QByteArray &body, bool valid, int flag = 0,
                        const QString &message = kNotice, bool stores = false) {
        QTest::newRow(name) << body << valid << flag << message << stores;
    };
    row("0, no tools", R"({"is_update":0,"tools_data":[]})", true);
    row("1 with text", R"({"is_update":1,"update_msg":"请尽快更新 <b>&</b>"})", true, 1, "请尽快更新 <b>&</b>");
    row("text empty", R"({"is_update":1,"update_msg":""})", true, 1);
    row("2 as text", R"({"is_update":"2","update_msg":"必须更新"})", true, 2, "必须更新");
    row("1.6 rounds to 2", R"({"is_update":1.6,"update_msg":null})", true, 2);
    row("true is 1", R"({"is_update":true})", true, 1);
    row("not a number", R"({"is_update":"two"})", true, 0);
    row("number as message", R"({"is_update":1,"update_msg":20})", true, 1, "20");
    row("tools", R"({"tools_data":[{"name":"甲"}]})", true, 0, kNotice, true);
    row("tools not a list", R"({"tools_data":{"name":"甲"}})", true);
    row("NUL ends the body", QByteArray("{\"is_update\":3,\"tools_data\":[7]}\0 not JSON", 43), true, 3, kNotice, true);
    row("NUL breaks it", QByteArray("{\"is_update\":1,\0\"tools_data\":[1]}", 33), false);
    row("array", R"([{"is_update":1}])", false);
    row("broken JSON", R"({"is_update":1,"tools_data":[1])", false);
    row("empty", "", false);
}

QTEST_MAIN(TestUpdate)
#include "tst_update.moc"
