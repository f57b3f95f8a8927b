// The update check: the request sent at start, and what each reply does to
// the version badge, the boxes, the window and "check.cache". A small HTTP
// server in this process plays the service.
#include "helpers.h"
#include "mainwindow.h"
#include "ui_mainwindow.h"
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

// Answers every request with `status` and `body`, or drops the connection,
// and keeps the request's head.
struct UpdateServer : QTcpServer
{
    QByteArray status = "200 OK", body, head;
    bool drop = false;

    UpdateServer()
    {
        connect(this, &QTcpServer::newConnection, this, [this] {
            QTcpSocket *socket = nextPendingConnection();
            connect(socket, &QTcpSocket::readyRead, this, [this, socket] {
                head += socket->readAll();
                if (!head.contains("\r\n\r\n"))
                    return;
                if (drop)
                    return socket->abort();
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

const QString kNewBadge = QStringLiteral(":/images/images/vnew-icon.gif");
const QString kNotice = QStringLiteral("发现新版本，为确保信息安全请更新软件再使用");
const QByteArray kStored = R"({"dateline":"#&+ 中","tools_data":[{"name":"旧","url":"https://old.example/"}]})";

} // namespace

class TestUpdate : public QObject
{
    Q_OBJECT

    PageFixture m_page;
    std::unique_ptr<UpdateServer> m_server;

    // Starts a window and waits for it to handle the reply.
    bool replied(MainWindow &window)
    {
        return QSignalSpy(window.findChild<QNetworkAccessManager *>(), &QNetworkAccessManager::finished).wait(15000);
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

    void request()
    {
        // The stored dateline goes back whole as one encoded query value.
        MainWindow window;
        QVERIFY(replied(window));
        const QString system = QSysInfo::productType() + ',' + QSysInfo::productVersion() + ','
                               + QSysInfo::buildCpuArchitecture() + ',' + QSysInfo::currentCpuArchitecture();
        QVERIFY2(m_server->head.startsWith("GET /Updatecheck.html?cachetime=%23%26%2B%20%E4%B8%AD HTTP/1.1\r\n"),
                 m_server->head.constData());
        QVERIFY(m_server->head.contains("\r\nvopaversion: 19\r\n"));
        QVERIFY(m_server->head.contains("\r\nvopasysinfo: " + system.toUtf8() + "\r\n"));
    }

    void replies_data();
    void replies()
    {
        QFETCH(QByteArray, status);
        QFETCH(QByteArray, body);
        QFETCH(bool, newBadge);
        QFETCH(QStringList, boxes);
        QFETCH(bool, stored);
        m_server->status = status;
        m_server->body = body;
        m_server->drop = status.isEmpty();
        MainWindow window;
        CloseCounter closeCounter;
        window.installEventFilter(&closeCounter);
        QVERIFY(replied(window));
        // A notice has the button "确 定"; a demand "关 闭", and it closes the window.
        QStringList seen;
        for (int i = 0; i < m_page.messages.size(); ++i)
            seen << m_page.buttons.at(i) + ": " + m_page.messages.at(i);
        QCOMPARE(seen, boxes);
        QCOMPARE(closeCounter.closes, boxes.filter(QStringLiteral("关 闭")).size());
        QMovie *badge = window.versionBadge();
        QCOMPARE(badge->fileName() == kNewBadge, newBadge);
        QVERIFY(window.form()->versionImgLabel->movie() == badge && badge->state() == QMovie::Running);
        // A list of tools replaces the stored reply whole; the page keeps the old list.
        const int nul = body.indexOf('\0');
        QCOMPARE(TestSupport::readBytes(m_page.file("check.cache")), stored ? body.left(nul < 0 ? body.size() : nul) : kStored);
        QCOMPARE(window.form()->toolsGridLayout->count(), 1);
    }
};

// Out of the class: moc reads the class body, and the damaged JSON texts
// here would unbalance its braces.
void TestUpdate::replies_data()
{
    QTest::addColumn<QByteArray>("status"); // empty: the connection drops
    QTest::addColumn<QByteArray>("body");
    QTest::addColumn<bool>("newBadge");
    QTest::addColumn<QStringList>("boxes");
    QTest::addColumn<bool>("stored");
    const QString notice = QStringLiteral("确 定: ") + kNotice, demand = QStringLiteral("关 闭: ") + kNotice;
    const auto row = [](const char *name, const QByteArray &body, bool newBadge, const QStringList &boxes,
                        bool stored = false, const QByteArray &status = "200 OK") {
        QTest::newRow(name) << status << body << newBadge << boxes << stored;
    };
    row("0, no tools", R"({"is_update":0,"tools_data":[]})", false, {});
    row("1 with text", R"({"is_update":1,"update_msg":"请尽快更新 <b>&</b>"})", true, {"确 定: 请尽快更新 <b>&</b>"});
    row("1, text missing", R"({"is_update":1})", true, {notice});
    row("2 as text", R"({"is_update":"2","update_msg":"必须更新"})", true, {"关 闭: 必须更新"});
    row("2, text null", R"({"is_update":2,"update_msg":null})", true, {demand});
    row("1.6 rounds to 2", R"({"is_update":1.6})", true, {demand});
    row("3", R"({"is_update":3,"update_msg":"x"})", true, {});
    row("not a number", R"({"is_update":"two"})", false, {});
    row("tools stored", R"({"dateline":"d#1","is_update":1,"update_msg":"新工具","tools_data":[{"name":"甲"}]})", true,
        {"确 定: 新工具"}, true);
    row("NUL ends the body", QByteArray("{\"is_update\":3,\"tools_data\":[7]}\0 not JSON", 43), true, {}, true);
    row("NUL breaks it", QByteArray("{\"is_update\":1,\0\"tools_data\":[1]}", 33), false, {});
    row("error status", R"({"is_update":1,"tools_data":[1]})", false, {}, false, "500 Internal Server Error");
    row("broken JSON", R"({"is_update":1,"tools_data":[1])", false, {});
    row("dropped", R"({"is_update":1,"tools_data":[1]})", false, {}, false, "");
}

QTEST_MAIN(TestUpdate)
#include "tst_update.moc"
