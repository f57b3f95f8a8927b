// Tests of the common helpers: state files, counters, the warning box,
// suffixes, file copies, random names and the alignment-pattern table.
#include "helpers.h"
#include "rendersupport.h"

#include <QAbstractButton>
#include <QApplication>
#include <QDir>
#include <QFileInfo>
#include <QMessageBox>
#include <QSet>
#include <QThread>
#include <QTimer>
#include <QtTest>
#include <climits>

using namespace TestSupport;

namespace {

// While alive, watches for the modal box showMessage opens, records what it
// shows and closes it with its first button (or rejects a box without one).
struct BoxWatcher
{
    BoxWatcher()
    {
        QObject::connect(&timer, &QTimer::timeout, [this] {
            auto *box = qobject_cast<QMessageBox *>(QApplication::activeModalWidget());
            if (!box)
                return;
            seen = true;
            title = box->windowTitle();
            text = box->text();
            const QList<QAbstractButton *> buttons = box->buttons();
            buttonCount = buttons.size();
            if (buttons.isEmpty())
                return box->reject();
            buttonText = buttons.first()->text();
            buttons.first()->click();
        });
        timer.start(10);
    }
    QTimer timer;
    bool seen = false;
    int buttonCount = 0;
    QString title, text, buttonText;
};

} // namespace

class TestHelpers : public QObject
{
    Q_OBJECT

private slots:
    void init() { m_cwd.enter(); }
    void cleanup()
    {
        setMessageSink(nullptr);
        m_cwd.leave();
    }

    void suffixesAndAlignmentTable()
    {
        // What follows the last dot; a path without one comes back whole.
        const QStringList suffixCases[] = {{"picture", "picture"}, {"picture.", ""}, {"/tmp/my.dir/picture", "dir/picture"},
                                           {"/a.b/back.GIF", "GIF"}, {"out.tar.gz", "gz"}};
        for (const QStringList &c : suffixCases)
            QCOMPARE(fileSuffix(c.at(0)), c.at(1));

        // The centres by symbol width (every version's are checked against real
        // symbols with the geometry tests); none outside versions 2 to 40.
        const QList<QList<int>> centres[] = {{{21}, {}}, {{25}, {18}}, {{45}, {38, 22, 6}},
                                             {{177}, {170, 142, 114, 86, 58, 30, 6}}, {{181}, {}}};
        for (const QList<QList<int>> &c : centres)
            QCOMPARE(alignmentPatternCenters(c.at(0).at(0)), c.at(1));
        QVERIFY(qrVersionFromWidth(21) == 1 && qrVersionFromWidth(177) == 40 && qrVersionFromWidth(13) == -1);
    }

    void readAndWriteTextFiles()
    {
        // Reading stops at the first NUL; nothing readable gives the default.
        const QString dflt = QStringLiteral("默认");
        QVERIFY(writeBytes("cut.txt", QByteArray("ab\0cd", 5)) && writeBytes("nul.txt", QByteArray("\0ab", 3)));
        QCOMPARE(readTextFile("cut.txt", dflt), QStringLiteral("ab"));
        QVERIFY(writeBytes("empty.txt", QByteArray()) && QDir().mkdir("folder"));
        for (const char *path : {"nul.txt", "empty.txt", "folder", "missing.txt", ""})
            QVERIFY2(readTextFile(path, dflt) == dflt && readTextFile(path).isEmpty(), path);
        // Text mode turns CRLF into LF; UTF-8 is decoded.
        QVERIFY(writeBytes("lines.txt", "one\r\n\xe4\xb8\xad\xe6\x96\x87\r\n"));
        QCOMPARE(readTextFile(m_cwd.file("lines.txt")), QStringLiteral("one\n中文\n"));

        // UTF-8 without a byte-order mark, appended or replaced.
        QVERIFY(writeTextFile("t.txt", QStringLiteral("中文\nok"), false));
        QVERIFY(writeTextFile("t.txt", "+1", true));
        QCOMPARE(readBytes("t.txt"), QByteArray("\xe4\xb8\xad\xe6\x96\x87\nok+1"));
        QVERIFY(writeTextFile("t.txt", "ab", false) && writeTextFile("new.txt", "x", true));
        QVERIFY(readBytes("t.txt") == "ab" && readBytes("new.txt") == "x");
        QVERIFY(writeTextFile("t.txt", QString(), false));
        QCOMPARE(QFileInfo("t.txt").size(), qint64(0));
        QVERIFY(!writeTextFile(QString(), "x", false) && !writeTextFile("no/such/dir/x.txt", "x", false));
        // A write that fails after the file opened is reported.
        QVERIFY(!writeTextFile("/dev/full", "no room", false));
    }

    void counters()
    {
        // A counter is the text of an int in name.cache in the cache directory.
        QCOMPARE(readCacheCounter("qrcode_jiema"), 0);
        addCacheCounter("qrcode_jiema", 5);
        addCacheCounter("qrcode_jiema", -7);
        QVERIFY(readBytes(m_cwd.file("qrcode_jiema.cache")) == "-2" && readCacheCounter("qrcode_jiema") == -2);
        // Anything but a whole int reads as 0 and is replaced by the amount added.
        for (const char *bad : {"12x", "2147483648", ""})
            QVERIFY2(writeBytes("c.cache", bad) && readCacheCounter("c") == 0, bad);
        addCacheCounter("c", 3);
        QCOMPARE(readBytes("c.cache"), QByteArray("3"));

        // Two threads adding at once lose nothing (and log nothing).
        auto adder = [] {
            for (int i = 0; i < 300; ++i)
                addCacheCounter("qrcode_create", 1);
        };
        QScopedPointer<QThread> second(QThread::create(adder));
        second->start();
        QVERIFY(collectMessages(adder).isEmpty() && second->wait(60000));
        QCOMPARE(readCacheCounter("qrcode_create"), 600);

        // The sum saturates at both ends of int.
        QVERIFY(writeBytes("hi.cache", "2147483640"));
        addCacheCounter("hi", 100);
        QCOMPARE(readBytes("hi.cache"), QByteArray("2147483647"));
        addCacheCounter("hi", INT_MAX);
        QCOMPARE(readCacheCounter("hi"), INT_MAX);
        QVERIFY(writeBytes("lo.cache", "-2147483640"));
        addCacheCounter("lo", -100);
        QCOMPARE(readCacheCounter("lo"), INT_MIN);
    }

    void copyFileCases()
    {
        const QByteArray payload("bin\0\r\nary\xff", 10);
        QVERIFY(writeBytes("src.bin", payload));
        QVERIFY(writeBytes("old.bin", "an older and longer target content"));
        QVERIFY(!copyFile(QString(), "old.bin") && !copyFile("src.bin", QString()));
        QVERIFY(!copyFile("missing", "old.bin") && !copyFile("missing", "missing"));
        QVERIFY(copyFile("src.bin", "new.bin") && copyFile(m_cwd.file("src.bin"), "old.bin"));
        QVERIFY(readBytes("new.bin") == payload && readBytes("old.bin") == payload);

        // A source that exists but cannot be read keeps the old target, and
        // nothing half-written is left beside the targets.
        QVERIFY(writeBytes("old.bin", "keep me") && QDir().mkdir("folder"));
        QVERIFY(!copyFile("folder", "old.bin"));
        QCOMPARE(readBytes("old.bin"), QByteArray("keep me"));
        QVERIFY(!copyFile("src.bin", "no/such/dir/x.bin"));
        QCOMPARE(QDir().entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden),
                 QStringList({"folder", "new.bin", "old.bin", "src.bin"}));

        // The same file under other names is left alone, not truncated or
        // rewritten: an old stamp shows a rewrite.
        QVERIFY(writeBytes("x", "original"));
        const QDateTime stamp(QDate(2001, 2, 3), QTime(4, 5, 6));
        {
            QFile file("x");
            QVERIFY(file.open(QIODevice::ReadWrite) && file.setFileTime(stamp, QFileDevice::FileModificationTime));
        }
        QVERIFY(QFile::link(m_cwd.file("x"), "link"));
        const QStringList pairs[] = {{"x", "x"}, {"x", "./x"}, {"folder/../x", "x"}, {"x", m_cwd.file("x")},
                                     {"x", "link"}, {"link", "x"}};
        for (const QStringList &pair : pairs) {
            QVERIFY2(copyFile(pair.at(0), pair.at(1)), qPrintable(pair.join(" -> ")));
            QCOMPARE(readBytes("x"), QByteArray("original"));
            QCOMPARE(QFileInfo("x").lastModified(), stamp);
            QVERIFY(QFileInfo("link").isSymLink());
        }
    }

    void randomStringAlphabet()
    {
        QVERIFY(randomString(10).size() == 10 && randomString(10) != randomString(10));
        QVERIFY(randomString(0).isEmpty() && randomString(-3).isEmpty());
        // A long text uses every character of the alphabet, and never X.
        const QString alphabet = QStringLiteral("0123456789ABCDEFGHIJKLMNOPQRSTUVWYZ");
        const QString many = randomString(5000);
        const QSet<QChar> used(many.begin(), many.end());
        QCOMPARE(used, QSet<QChar>(alphabet.begin(), alphabet.end()));
    }

    void showMessageOpensBox()
    {
        const QString text = QStringLiteral("二维码保存失败：/tmp/out.png");
        BoxWatcher watcher;
        showMessage(text);
        QVERIFY(watcher.seen && watcher.buttonCount == 1);
        QCOMPARE(watcher.title, QStringLiteral("提示信息"));
        QCOMPARE(watcher.text, text);
        QCOMPARE(watcher.buttonText, QStringLiteral("确 定"));
        // The box is gone once the call returns.
        for (QWidget *widget : QApplication::topLevelWidgets())
            QVERIFY(!qobject_cast<QMessageBox *>(widget));
    }

    void showMessageSinkAndWorkerThread()
    {
        QStringList received;
        setMessageSink([&received](const QString &message, const QString &) { received << message; });
        BoxWatcher watcher; // sees something only if a box opened after all

        // The cache directory exists: its path comes back and nothing is shown.
        QCOMPARE(cacheDir(), QDir::currentPath());
        showMessage(QStringLiteral("导出完成"));
        QCOMPARE(received, QStringList({QStringLiteral("导出完成")}));

        // Off the GUI thread the text is logged and neither the sink nor a box sees it.
        const QString text = QStringLiteral("批量生成：缓存 100% 完成");
        QCOMPARE(collectMessages([text] { showMessage(text); }), QStringList({text}));
        QCOMPARE(received.size(), 1);
        QVERIFY(!watcher.seen);
    }

private:
    TestCwd m_cwd;
};

QTEST_MAIN(TestHelpers)
#include "tst_helpers.moc"
