// Tests of the common helpers: state files, counters, the warning box,
// suffixes, file copies, random names and the alignment-pattern table.
#include "helpers.h"
#include "testsupport.h"

#include <QAbstractButton>
#include <QApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QMessageBox>
#include <QRegularExpression>
#include <QSet>
#include <QThread>
#include <QTimer>
#include <QtTest>
#include <climits>

namespace {

void putBytes(const QString &path, const QByteArray &bytes)
{
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
    QCOMPARE(file.write(bytes), qint64(bytes.size()));
}

QByteArray bytesOf(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<unreadable>");
}

// Watches for the modal box while showMessage runs its event loop, records
// what the box shows and closes it with its button. The polling stops when
// this object goes away, so no timer outlives the test.
class BoxCloser : public QObject
{
public:
    BoxCloser() { arm(); }

    bool seen = false;
    QString title, text, buttonText;
    int buttonCount = 0;
    QMessageBox::Icon icon = QMessageBox::NoIcon;
    bool quitOnClose = true;

private:
    void arm()
    {
        QTimer::singleShot(10, this, [this] { poll(); });
    }
    void poll()
    {
        auto *box = qobject_cast<QMessageBox *>(QApplication::activeModalWidget());
        if (!box) {
            if (++m_tries < 500)
                arm();
            return;
        }
        seen = true;
        title = box->windowTitle();
        text = box->text();
        icon = box->icon();
        quitOnClose = box->testAttribute(Qt::WA_QuitOnClose);
        const QList<QAbstractButton *> buttons = box->buttons();
        buttonCount = buttons.size();
        if (buttons.isEmpty()) {
            box->reject();
            return;
        }
        buttonText = buttons.first()->text();
        buttons.first()->click();
    }
    int m_tries = 0;
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

    void fileSuffixCases();
    void alignmentTable();
    void readTextFileCases();
    void writeTextFileCases();
    void counters();
    void countersUnderThreadsAndSaturation();
    void copyFileCases();
    void copyFileSameFile();
    void randomStringCases();
    void showMessageOpensBox();
    void showMessageSinkAndWorkerThread();

private:
    TestCwd m_cwd;
};

void TestHelpers::fileSuffixCases()
{
    QCOMPARE(fileSuffix(QStringLiteral("picture")), QStringLiteral("picture"));
    QCOMPARE(fileSuffix(QStringLiteral("picture.")), QString());
    QCOMPARE(fileSuffix(QStringLiteral("/tmp/my.dir/picture")), QStringLiteral("dir/picture"));
    QCOMPARE(fileSuffix(QString()), QString());
    QCOMPARE(fileSuffix(QStringLiteral("/a.b/back.GIF")), QStringLiteral("GIF"));
    QCOMPARE(fileSuffix(QStringLiteral("out.tar.gz")), QStringLiteral("gz"));
}

void TestHelpers::alignmentTable()
{
    QCOMPARE(alignmentPatternCenters(21), QList<int>());
    QCOMPARE(alignmentPatternCenters(25), QList<int>({18}));
    QCOMPARE(alignmentPatternCenters(29), QList<int>({22}));
    QCOMPARE(alignmentPatternCenters(41), QList<int>({34}));
    QCOMPARE(alignmentPatternCenters(45), QList<int>({38, 22, 6}));
    QCOMPARE(alignmentPatternCenters(97), QList<int>({90, 62, 34, 6}));
    QCOMPARE(alignmentPatternCenters(177), QList<int>({170, 142, 114, 86, 58, 30, 6}));
    QCOMPARE(alignmentPatternCenters(181), QList<int>());
    QCOMPARE(alignmentPatternCenters(0), QList<int>());
    // Every version: the last centre sits 7 modules from the far edge; from
    // version 7 on the list ends at 6 and the steps after the first are equal and even.
    for (int version = 2; version <= 40; ++version) {
        const int width = 17 + 4 * version;
        const QList<int> list = alignmentPatternCenters(width);
        const QByteArray where = "version " + QByteArray::number(version);
        QVERIFY2(!list.isEmpty() && list.first() == width - 7, where.constData());
        QCOMPARE(list.size(), version < 7 ? 1 : version / 7 + 2);
        if (version < 7)
            continue;
        QCOMPARE(list.last(), 6);
        const int step = list.at(0) - list.at(1);
        QVERIFY2(step > 0 && step % 2 == 0, where.constData());
        for (int i = 1; i + 2 < list.size(); ++i)
            QVERIFY2(list.at(i) - list.at(i + 1) == step, where.constData());
    }

    QCOMPARE(qrVersionFromWidth(21), 1);
    QCOMPARE(qrVersionFromWidth(25), 2);
    QCOMPARE(qrVersionFromWidth(177), 40);
    QCOMPARE(qrVersionFromWidth(18), 1); // (18 - 21) / 4 truncates to 0
    QCOMPARE(qrVersionFromWidth(13), -1);
}

void TestHelpers::readTextFileCases()
{
    const QString dflt = QStringLiteral("默认");
    putBytes(QStringLiteral("cut.txt"), QByteArray("ab\0cd", 5));
    QCOMPARE(readTextFile(QStringLiteral("cut.txt")), QStringLiteral("ab"));
    QCOMPARE(readTextFile(QStringLiteral("cut.txt"), dflt), QStringLiteral("ab"));

    putBytes(QStringLiteral("nul.txt"), QByteArray("\0ab", 3));
    putBytes(QStringLiteral("empty.txt"), QByteArray());
    QVERIFY(QDir().mkdir(QStringLiteral("folder")));
    for (const QString &path : {QStringLiteral("nul.txt"), QStringLiteral("empty.txt"), QStringLiteral("folder"),
                                QStringLiteral("missing.txt"), QString()}) {
        QCOMPARE(readTextFile(path, dflt), dflt);
        QCOMPARE(readTextFile(path), QString());
    }

    // Text mode turns CRLF into LF; UTF-8 is decoded.
    putBytes(QStringLiteral("lines.txt"), QByteArray("one\r\n\xe4\xb8\xad\xe6\x96\x87\r\n"));
    QCOMPARE(readTextFile(m_cwd.file(QStringLiteral("lines.txt"))), QStringLiteral("one\n中文\n"));
}

void TestHelpers::writeTextFileCases()
{
    QVERIFY(!writeTextFile(QString(), QStringLiteral("x"), false));
    QVERIFY(!writeTextFile(QStringLiteral("no/such/dir/x.txt"), QStringLiteral("x"), false));
    QVERIFY(!QFile::exists(QStringLiteral("no")));

    // UTF-8 without a byte-order mark, nothing added.
    QVERIFY(writeTextFile(QStringLiteral("t.txt"), QStringLiteral("中文\nok"), false));
    QCOMPARE(bytesOf(QStringLiteral("t.txt")), QByteArray("\xe4\xb8\xad\xe6\x96\x87\nok"));

    QVERIFY(writeTextFile(QStringLiteral("t.txt"), QStringLiteral("+1"), true));
    QCOMPARE(bytesOf(QStringLiteral("t.txt")), QByteArray("\xe4\xb8\xad\xe6\x96\x87\nok+1"));
    QVERIFY(writeTextFile(QStringLiteral("t.txt"), QStringLiteral("ab"), false));
    QCOMPARE(bytesOf(QStringLiteral("t.txt")), QByteArray("ab"));
    QVERIFY(writeTextFile(QStringLiteral("new.txt"), QStringLiteral("x"), true));
    QCOMPARE(bytesOf(QStringLiteral("new.txt")), QByteArray("x"));

    QVERIFY(writeTextFile(QStringLiteral("t.txt"), QString(), false));
    QVERIFY(QFile::exists(QStringLiteral("t.txt")));
    QCOMPARE(QFileInfo(QStringLiteral("t.txt")).size(), qint64(0));

    // A write that fails after the file opened is reported.
    QVERIFY(!writeTextFile(QStringLiteral("/dev/full"), QStringLiteral("no room"), false));
}

void TestHelpers::counters()
{
    const QString name = QStringLiteral("qrcode_jiema");
    QCOMPARE(readCacheCounter(name), 0);
    addCacheCounter(name, 5);
    QCOMPARE(bytesOf(m_cwd.file(QStringLiteral("qrcode_jiema.cache"))), QByteArray("5"));
    addCacheCounter(name, -7);
    QCOMPARE(bytesOf(QStringLiteral("qrcode_jiema.cache")), QByteArray("-2"));
    QCOMPARE(readCacheCounter(name), -2);

    putBytes(QStringLiteral("c.cache"), "2147483647");
    QCOMPARE(readCacheCounter(QStringLiteral("c")), INT_MAX);
    for (const QByteArray &bad : {QByteArray("abc"), QByteArray("12x"), QByteArray("2147483648"), QByteArray()}) {
        putBytes(QStringLiteral("c.cache"), bad);
        QCOMPARE(readCacheCounter(QStringLiteral("c")), 0);
    }
    // An unreadable value counts as 0 and is replaced by the amount.
    putBytes(QStringLiteral("c.cache"), "junk");
    addCacheCounter(QStringLiteral("c"), 3);
    QCOMPARE(bytesOf(QStringLiteral("c.cache")), QByteArray("3"));
}

void TestHelpers::countersUnderThreadsAndSaturation()
{
    const QString name = QStringLiteral("qrcode_create");
    auto adder = [name] {
        for (int i = 0; i < 300; ++i)
            addCacheCounter(name, 1);
    };
    QScopedPointer<QThread> first(QThread::create(adder));
    QScopedPointer<QThread> second(QThread::create(adder));
    first->start();
    second->start();
    QVERIFY(first->wait(60000));
    QVERIFY(second->wait(60000));
    QCOMPARE(readCacheCounter(name), 600);

    putBytes(QStringLiteral("hi.cache"), "2147483640");
    addCacheCounter(QStringLiteral("hi"), 100);
    QCOMPARE(bytesOf(QStringLiteral("hi.cache")), QByteArray("2147483647"));
    addCacheCounter(QStringLiteral("hi"), INT_MAX);
    QCOMPARE(readCacheCounter(QStringLiteral("hi")), INT_MAX);

    putBytes(QStringLiteral("lo.cache"), "-2147483640");
    addCacheCounter(QStringLiteral("lo"), -100);
    QCOMPARE(bytesOf(QStringLiteral("lo.cache")), QByteArray("-2147483648"));
    QCOMPARE(readCacheCounter(QStringLiteral("lo")), INT_MIN);
}

void TestHelpers::copyFileCases()
{
    const QByteArray payload("bin\0\r\nary\xff", 10);
    putBytes(QStringLiteral("src.bin"), payload);
    putBytes(QStringLiteral("old.bin"), "an older and longer target content");

    QVERIFY(!copyFile(QString(), QStringLiteral("old.bin")));
    QVERIFY(!copyFile(QStringLiteral("src.bin"), QString()));
    QVERIFY(!copyFile(QStringLiteral("missing"), QStringLiteral("old.bin")));
    QVERIFY(!copyFile(QStringLiteral("missing"), QStringLiteral("missing")));
    QVERIFY(!QFile::exists(QStringLiteral("missing")));
    QCOMPARE(bytesOf(QStringLiteral("old.bin")), QByteArray("an older and longer target content"));

    QVERIFY(copyFile(QStringLiteral("src.bin"), QStringLiteral("new.bin")));
    QCOMPARE(bytesOf(QStringLiteral("new.bin")), payload);
    QVERIFY(copyFile(m_cwd.file(QStringLiteral("src.bin")), QStringLiteral("old.bin")));
    QCOMPARE(bytesOf(QStringLiteral("old.bin")), payload);
    QCOMPARE(bytesOf(QStringLiteral("src.bin")), payload);

    // A source that exists but cannot be read keeps the old target.
    putBytes(QStringLiteral("old.bin"), "keep me");
    QVERIFY(QDir().mkdir(QStringLiteral("folder")));
    QVERIFY(!copyFile(QStringLiteral("folder"), QStringLiteral("old.bin")));
    QCOMPARE(bytesOf(QStringLiteral("old.bin")), QByteArray("keep me"));
    QVERIFY(!copyFile(QStringLiteral("src.bin"), QStringLiteral("no/such/dir/x.bin")));
    // Nothing half-written is left beside the targets.
    QCOMPARE(QDir().entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden),
             QStringList({QStringLiteral("folder"), QStringLiteral("new.bin"), QStringLiteral("old.bin"),
                          QStringLiteral("src.bin")}));
}

void TestHelpers::copyFileSameFile()
{
    putBytes(QStringLiteral("x"), "original");
    // An old stamp shows whether the file was rewritten.
    const QDateTime stamp(QDate(2001, 2, 3), QTime(4, 5, 6));
    {
        QFile file(QStringLiteral("x"));
        QVERIFY(file.open(QIODevice::ReadWrite));
        QVERIFY(file.setFileTime(stamp, QFileDevice::FileModificationTime));
    }
    QVERIFY(QDir().mkdir(QStringLiteral("dir")));
    QVERIFY(QFile::link(m_cwd.file(QStringLiteral("x")), QStringLiteral("link")));
    const QString absolute = m_cwd.file(QStringLiteral("x"));
    const QList<QPair<QString, QString>> pairs = {
        {QStringLiteral("x"), QStringLiteral("x")},      {QStringLiteral("x"), QStringLiteral("./x")},
        {QStringLiteral("dir/../x"), QStringLiteral("x")}, {QStringLiteral("x"), absolute},
        {QStringLiteral("x"), QStringLiteral("link")},   {QStringLiteral("link"), QStringLiteral("x")},
    };
    for (const auto &pair : pairs) {
        QVERIFY2(copyFile(pair.first, pair.second), qPrintable(pair.first + " -> " + pair.second));
        QCOMPARE(bytesOf(QStringLiteral("x")), QByteArray("original"));
        QCOMPARE(QFileInfo(QStringLiteral("x")).lastModified(), stamp);
        QVERIFY(QFileInfo(QStringLiteral("link")).isSymLink());
    }
    putBytes(QStringLiteral("dir/y"), "why");
    QVERIFY(copyFile(QStringLiteral("dir//y"), QStringLiteral("dir/y")));
    QCOMPARE(bytesOf(QStringLiteral("dir/y")), QByteArray("why"));
}

void TestHelpers::randomStringCases()
{
    const QString alphabet = QStringLiteral("0123456789ABCDEFGHIJKLMNOPQRSTUVWZYZ");
    const QString first = randomString(10);
    const QString second = randomString(10);
    QCOMPARE(first.size(), 10);
    QVERIFY2(first != second, qPrintable(first));
    QCOMPARE(randomString(0), QString());
    QCOMPARE(randomString(-3), QString());

    // A long text uses every character of the alphabet, and never X.
    const QString many = randomString(5000);
    QCOMPARE(many.size(), 5000);
    QSet<QChar> used;
    for (const QChar c : many) {
        QVERIFY2(alphabet.contains(c), qPrintable(QString(c)));
        used.insert(c);
    }
    QCOMPARE(used.size(), 35);
    QVERIFY(!used.contains(QLatin1Char('X')));
}

void TestHelpers::showMessageOpensBox()
{
    const QString text = QStringLiteral("二维码保存失败：/tmp/out.png");
    BoxCloser closer;
    showMessage(text);
    QVERIFY(closer.seen);
    QCOMPARE(closer.title, QStringLiteral("提示信息"));
    QCOMPARE(closer.text, text);
    QCOMPARE(closer.icon, QMessageBox::Warning);
    QCOMPARE(closer.buttonCount, 1);
    QCOMPARE(closer.buttonText, QStringLiteral("确 定"));
    QVERIFY(!closer.quitOnClose);
    // The box is gone once the call returns.
    for (QWidget *widget : QApplication::topLevelWidgets())
        QVERIFY(!qobject_cast<QMessageBox *>(widget));
}

void TestHelpers::showMessageSinkAndWorkerThread()
{
    QStringList received;
    setMessageSink([&received](const QString &message) { received << message; });
    BoxCloser closer; // only fires if a box were opened after all

    // The cache directory exists: its path comes back and nothing is shown.
    QCOMPARE(cacheDir(), QDir::currentPath());
    QCOMPARE(QFileInfo(cacheDir()).canonicalFilePath(), QFileInfo(m_cwd.path()).canonicalFilePath());
    QVERIFY(received.isEmpty());

    showMessage(QStringLiteral("导出完成"));
    QCOMPARE(received, QStringList({QStringLiteral("导出完成")}));
    QVERIFY(!closer.seen);

    // Off the GUI thread the text is logged and neither the sink nor a box sees it.
    const QString text = QStringLiteral("批量生成：缓存 100% 完成");
    QTest::ignoreMessage(QtWarningMsg, QRegularExpression(QLatin1Char('^') + QRegularExpression::escape(text) + QLatin1Char('$')));
    QScopedPointer<QThread> worker(QThread::create([text] { showMessage(text); }));
    worker->start();
    QVERIFY(worker->wait(60000));
    QCOMPARE(received.size(), 1);
    QVERIFY(!closer.seen);
}

QTEST_MAIN(TestHelpers)
#include "tst_helpers.moc"
