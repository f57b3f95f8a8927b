// The batch generation worker: its messages, every style and output format
// decoded back, names and extensions, error rows, refusals, the counter, and
// rendering ahead writing what one row at a time writes.
#include "batchcreate.h"
#include "batchjiema.h"
#include "csv.h"
#include "decodefront.h"
#include "helpers.h"
#include "testsupport.h"

#include <QDir>
#include <QMap>
#include <QPointer>
#include <QRegularExpression>
#include <QTextCodec>
#include <QThread>
#include <QtTest>

#include <sys/stat.h>
#include <unistd.h>

namespace {

using Messages = QList<QPair<QString, QString>>;

Messages runBatch(const QString &source, const QString &target, const QString &option, int lookAhead = 4)
{
    return TestSupport::runBatch(new BatchCreate, source, target, option, lookAhead);
}


QString decoded(const QString &file)
{
    const QImage picture = file.endsWith(".svg") || file.endsWith(".pdf") ? TestSupport::documentPicture(file)
                                                                           : TestSupport::loadFirst(file);
    return decodeImageText(TestSupport::prepareForDecode(picture), true);
}

// Records kept out of the class: moc counts the braces of its body.
const char kOnBackground[] = R"({"qr_size":300,"qr_bgimg":"%1","qr_bgx":60,"qr_bgy":60,"qr_blocksize":50,)"
                             R"("qr_balpha":100,"qr_bgcolor":"#ffffff","qr_lk_color":"#000000","qr_block_1":"#000000",)"
                             R"("qr_block_0":"#ffffff","qr_ptcolor":"#000000","qr_inptcolor":"#000000"})";
const char kVector[] = R"({"qr_size":300,"qr_blocksize":50,"qr_block_1":"#000000","qr_block_0":"#ffffff",)"
                       R"("qr_balpha":100,"qr_bgcolor":"#ffffff","qr_ispdf":%1})";
const char kCaptioned[] = R"({"qr_size":300,"qr_iscode":true,"qr_codefontsize":14})";

mode_t umaskNow()
{
    const mode_t mask = ::umask(022);
    ::umask(mask);
    return mask;
}

} // namespace

class TestBatchCreate : public QObject
{
    Q_OBJECT

    TestCwd m_cwd;

    QString file(const QString &name) const { return m_cwd.file(name); }
    QString text(const QString &path) const { return QString::fromUtf8(TestSupport::readBytes(path)); }

private slots:
    void init() { m_cwd.enter(); }
    void cleanup() { m_cwd.leave(); }

    void messagesNamesAndErrorRows()
    {
        QVERIFY(TestSupport::writeBytes(file("d.csv"), "name,text\n"
                                                        "A01,第一\n"
                                                        ",second\n"
                                                        "<b>,third\n"
                                                        "../up,escape\n"
                                                        "nothing\n"
                                                        "blank,\n"
                                                        "A01,again\n"));
        const Messages messages = runBatch(file("d.csv"), file("out/deep"), "pro");
        const Messages expected = {
            {"progress", "正在生成：A01"},   {"progress", "正在生成："},
            {"progress", "正在生成：<b>"}, {"progress", "正在生成：../up"},
            {"progress", "正在生成：nothing"}, {"progress", "正在生成：blank"},
            {"progress", "正在生成：A01"},
            {"success", "生成统计：成功 4 个， 错误：3 个（在保存路径查看错误信息）"}};
        QCOMPARE(messages.mid(0, expected.size()), expected);
        QVERIFY(QRegularExpression("^生成用时：[0-9.e+-]+ 秒$").match(messages.value(8).second).hasMatch());
        QCOMPARE(messages.mid(9), (Messages{{"progress", "<div style='color:green'>生成完成：</div>"}}));
        // An empty name: the row number names the file and is its caption; a later row of a name replaces it.
        QCOMPARE(QDir(file("out/deep")).entryList(QDir::Files, QDir::Name),
                 (QStringList{"2.png", "<b>.png", "A01.png", "error_log.txt"}));
        QCOMPARE(decoded(file("out/deep/A01.png")), QStringLiteral("again"));
        QCOMPARE(decoded(file("out/deep/2.png")), QStringLiteral("second"));
        QVERIFY(!QFile::exists(file("out/up.png")));
        QCOMPARE(text(file("out/deep/error_log.txt")), QStringLiteral("../up,escape\nnothing\nblank,\n"));
        QCOMPARE(readTextFile(file("qrcode_create.cache")), QStringLiteral("4"));
        // The caption is the name: the row-number code has a band under it only with the caption on.
        QVERIFY(writeTextFile(file("create_style.cache"), QString::fromUtf8(kCaptioned), false));
        runBatch(file("d.csv"), file("captioned"), "pro");
        QCOMPARE(QImage(file("captioned/2.png")).size(), QSize(300, 328));

        // Rendering ahead writes the same files and log, and sends the same messages, as one row at a time.
        const Messages alone = runBatch(file("d.csv"), file("alone"), "pro", 1);
        const Messages ahead = runBatch(file("d.csv"), file("ahead"), "pro", 8);
        QCOMPARE(alone.mid(0, 8), ahead.mid(0, 8));
        for (const QString &name : QDir(file("alone")).entryList(QDir::Files))
            QVERIFY2(TestSupport::readBytes(file("alone/" + name)) == TestSupport::readBytes(file("ahead/" + name)),
                     qPrintable(name));
        QCOMPARE(QDir(file("ahead")).entryList(QDir::Files | QDir::Hidden), QDir(file("alone")).entryList(QDir::Files));
    }

    void chineseSpreadsheetPackage()
    {
        // A package saved in GBK by a Chinese spreadsheet program: two names, two files, their texts.
        QTextCodec *gbk = QTextCodec::codecForName("GBK");
        QVERIFY(TestSupport::writeBytes(file("gbk.csv"), gbk->fromUnicode("姓名,内容\r\n张三,甲\r\n李四,乙\r\n")));
        QCOMPARE(runBatch(file("gbk.csv"), file("gbk"), "pro").value(2),
                 qMakePair(QStringLiteral("success"), QStringLiteral("生成统计：成功 2 个， 错误：0 个（在保存路径查看错误信息）")));
        QCOMPARE(QDir(file("gbk")).entryList(QDir::Files, QDir::Name), (QStringList{"error_log.txt", "张三.png", "李四.png"}));
        QCOMPARE(decoded(file("gbk/李四.png")), QStringLiteral("乙"));
        // Labels glued to ASCII letters: five files named as typed, none taking another's name.
        QVERIFY(TestSupport::writeBytes(
            file("zones.csv"), gbk->fromUnicode("name,content\r\nA区,https://m.example.cn/a\r\nB区,https://m.example.cn/b\r\n"
                                                "C区,https://m.example.cn/c\r\nA座,https://m.example.cn/d\r\n"
                                                "B座,https://m.example.cn/e\r\n")));
        QVERIFY(runBatch(file("zones.csv"), file("zones"), "pro")
                    .contains(qMakePair(QStringLiteral("success"),
                                        QStringLiteral("生成统计：成功 5 个， 错误：0 个（在保存路径查看错误信息）"))));
        QCOMPARE(QDir(file("zones")).entryList(QDir::Files, QDir::Name),
                 (QStringList{"A区.png", "A座.png", "B区.png", "B座.png", "C区.png", "error_log.txt"}));
        for (const auto &[name, letter] : QList<QPair<QString, QString>>{{"A区", "a"}, {"B区", "b"}, {"C区", "c"},
                                                                         {"A座", "d"}, {"B座", "e"}})
            QCOMPARE(decoded(file("zones/" + name + ".png")), "https://m.example.cn/" + letter);
        // The error log is UTF-8 whatever the system's own encoding.
        QVERIFY(TestSupport::writeBytes(file("away.csv"), "name,text\n../王五,文本\n"));
        QTextCodec *const locale = QTextCodec::codecForLocale();
        QTextCodec::setCodecForLocale(QTextCodec::codecForName("ISO-8859-1"));
        runBatch(file("away.csv"), file("latin1"), "pro");
        QTextCodec::setCodecForLocale(locale);
        QCOMPARE(TestSupport::readBytes(file("latin1/error_log.txt")), QByteArray("../王五,文本\n"));
    }

    void aheadWritesWhatOneAtATimeWrites()
    {
        // A save folder holding a file its user may not write, a file of mode 0640 and a link to a file
        // elsewhere: rendering ahead and one row at a time leave the same files, bytes, modes and links,
        // and count and log the same rows.
        QVERIFY(::chmod(QFile::encodeName(m_cwd.path()).constData(), 0777) == 0);
        QVERIFY(TestSupport::writeBytes(file("d.csv"), "name,text\nkept,one\nshared,two\nlinked,three\nnew,four\n"
                                                        "kept,five\n"));
        QStringList handedOver = {file("d.csv")};
        for (const QString run : {"alone", "ahead"}) {
            const QString folder = file(run);
            QVERIFY(QDir().mkpath(folder + "/elsewhere"));
            QVERIFY(TestSupport::writeBytes(folder + "/kept.png", "protected"));
            QVERIFY(TestSupport::writeBytes(folder + "/shared.png", "old"));
            QVERIFY(TestSupport::writeBytes(folder + "/elsewhere/real.png", "old"));
            QVERIFY(QFile::link("elsewhere/real.png", folder + "/linked.png"));
            QVERIFY(::chmod(QFile::encodeName(folder + "/kept.png").constData(), 0444) == 0);
            QVERIFY(::chmod(QFile::encodeName(folder + "/shared.png").constData(), 0640) == 0);
            handedOver << folder << folder + "/kept.png" << folder + "/shared.png" << folder + "/linked.png"
                       << folder + "/elsewhere" << folder + "/elsewhere/real.png";
        }
        const QString messagesFile = file("messages.txt");
        QVERIFY(TestSupport::writeBytes(messagesFile, ""));
        handedOver << messagesFile;
        const TestSupport::Unprivileged run = TestSupport::runUnprivileged(handedOver, [&] {
            QStringList seen;
            for (const auto &[folder, lookAhead] : {std::make_pair("alone", 1), std::make_pair("ahead", 8)})
                for (const auto &message : runBatch(file("d.csv"), file(folder), "pro", lookAhead))
                    seen << message.first + " " + message.second.section(QLatin1Char('\n'), 0, 0);
            return writeTextFile(messagesFile, seen.join("\n"), true);
        });
        if (run == TestSupport::Unprivileged::NoUser)
            QSKIP("no user nobody");
        QVERIFY(run == TestSupport::Unprivileged::Passed);

        const QStringList seen = text(messagesFile).split("\n");
        QCOMPARE(seen.size(), 16);
        QCOMPARE(seen.value(5), QStringLiteral("success 生成统计：成功 3 个， 错误：2 个（在保存路径查看错误信息）"));
        QCOMPARE(seen.mid(8, 6), seen.mid(0, 6));
        for (const QString run : {"alone", "ahead"}) {
            const QString folder = file(run);
            QCOMPARE(QDir(folder).entryList(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot,
                                            QDir::Name),
                     (QStringList{"elsewhere", "error_log.txt", "kept.png", "linked.png", "new.png", "shared.png"}));
            QCOMPARE(TestSupport::readBytes(folder + "/kept.png"), QByteArray("protected"));
            QCOMPARE(text(folder + "/error_log.txt"), QStringLiteral("kept,one\nkept,five\n"));
            QCOMPARE(decoded(folder + "/shared.png"), QStringLiteral("two"));
            QCOMPARE(decoded(folder + "/new.png"), QStringLiteral("four"));
            QCOMPARE(QFileInfo(folder + "/linked.png").symLinkTarget(), folder + "/elsewhere/real.png");
            QCOMPARE(decoded(folder + "/elsewhere/real.png"), QStringLiteral("three"));
            const auto mode = [&](const QString &name) {
                struct stat status;
                return ::lstat(QFile::encodeName(folder + "/" + name).constData(), &status) == 0 ? status.st_mode & 07777
                                                                                                : mode_t(1);
            };
            QCOMPARE(mode("kept.png"), mode_t(0444));
            QCOMPARE(mode("shared.png"), mode_t(0640));
            QCOMPARE(mode("new.png"), mode_t(0666 & ~umaskNow()));
            QCOMPARE(mode("elsewhere/real.png"), mode_t(0666 & ~umaskNow()));
        }
        for (const QString name : {"elsewhere/real.png", "new.png", "shared.png"})
            QVERIFY2(TestSupport::readBytes(file("alone/" + name)) == TestSupport::readBytes(file("ahead/" + name)),
                     qPrintable(name));
    }

    void aStopLeavesNothingBehind()
    {
        // Asked to stop while rows are rendered ahead: the rows already taken are in place, nothing of the
        // rows made ahead is left (no file, no hidden one), no statistics are sent and nothing is counted.
        QByteArray rows = "name,text\n";
        for (int i = 0; i < 80; ++i)
            rows += "r" + QByteArray::number(i) + ",row " + QByteArray::number(i) + "\n";
        QVERIFY(TestSupport::writeBytes(file("d.csv"), rows));
        auto *worker = new BatchCreate;
        worker->setLookAhead(8);
        QPointer<BatchCreate> alive(worker);
        Messages messages;
        connect(worker, &BatchCreate::returnResult, [&](const QString &type, const QString &message) {
            messages.append({type, message});
            if (messages.size() == 3)
                worker->requestStop();
        });
        worker->batchStart(file("d.csv"), file("out"), "pro");
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        QVERIFY(alive.isNull());
        QCOMPARE(messages.size(), 3);
        QCOMPARE(QDir(file("out")).entryList(QDir::Files | QDir::Hidden | QDir::System, QDir::Name),
                 (QStringList{"error_log.txt", "r0.png", "r1.png", "r2.png"}));
        QCOMPARE(decoded(file("out/r2.png")), QStringLiteral("row 2"));
        QVERIFY(!QFile::exists(file("qrcode_create.cache")));
    }

    void namesThatLeadNowhere()
    {
        // Rows named like a link loop, a link chain to a missing file, a FIFO, and a name of 255 bytes made
        // twice: the loop and the FIFO are error rows found at once, the chain's file is made behind its
        // links, the long name is replaced, and the batch ends as any other. In a child process, so that a
        // batch that blocks fails instead of hanging the suite.
        const QString longName = QString(251, 'n') + ".png";
        QVERIFY(QDir().mkpath(file("out")) && QFile::link("loop.png", file("out/loop.png")));
        QVERIFY(QFile::link("mid.png", file("out/chain.png")) && QFile::link("made.png", file("out/mid.png")));
        QVERIFY(::mkfifo(QFile::encodeName(file("out/fifo.png")).constData(), 0644) == 0);
        QVERIFY(TestSupport::writeBytes(file("d.csv"), "name,text\nloop,1\nchain,2\nfifo,3\n" + longName.left(251).toUtf8()
                                                           + ",4\n" + longName.left(251).toUtf8() + ",5\nafter,6\n"));
        const QString messagesFile = file("messages.txt");
        QVERIFY(TestSupport::finishesWithin(60, [&] {
            QStringList seen;
            for (const auto &message : runBatch(file("d.csv"), file("out"), "pro", 8))
                seen << message.first + " " + message.second;
            return writeTextFile(messagesFile, seen.join("\n"), false);
        }));
        const QStringList seen = text(messagesFile).split("\n");
        QCOMPARE(seen.size(), 9);
        QCOMPARE(seen.value(6), QStringLiteral("success 生成统计：成功 4 个， 错误：2 个（在保存路径查看错误信息）"));
        QCOMPARE(text(file("out/error_log.txt")), QStringLiteral("loop,1\nfifo,3\n"));
        QCOMPARE(decoded(file("out/made.png")), QStringLiteral("2"));
        QCOMPARE(decoded(file("out/" + longName)), QStringLiteral("5"));
        QCOMPARE(readTextFile(file("qrcode_create.cache")), QStringLiteral("4"));
        for (const char *link : {"loop.png", "chain.png", "mid.png"})
            QVERIFY2(QFileInfo(file("out/") + link).isSymLink(), link);
        struct stat fifo;
        QVERIFY(::lstat(QFile::encodeName(file("out/fifo.png")).constData(), &fifo) == 0 && S_ISFIFO(fifo.st_mode));
        QCOMPARE(QDir(file("out")).entryList(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot,
                                             QDir::Name),
                 (QStringList{"after.png", "chain.png", "error_log.txt", "fifo.png", "loop.png", "made.png", "mid.png",
                              longName}));
    }

    void codesOnDiskWhenTheBatchReports()
    {
        // A crash right after "成功" (the file system stopped without writing out what it held in memory,
        // then mounted again): every code counted is there whole, the new ones and one that replaced an
        // old file, and the log too.
        TestSupport::ScratchDisk disk(file("disk"), "64M", TestSupport::ScratchDisk::Ext4);
        if (!disk.mounted())
            QSKIP("a loop-mounted file system needs root and a loop device");
        QByteArray rows = "name,text\n";
        for (int i = 0; i < 300; ++i)
            rows += "c" + QByteArray::number(i) + ",code " + QByteArray::number(i) + "\n";
        QVERIFY(TestSupport::writeBytes(file("d.csv"), rows + ",\n"));
        QVERIFY(QDir().mkpath(file("disk/out")) && TestSupport::writeBytes(file("disk/out/c7.png"), "an old code"));
        ::sync();
        const Messages messages = runBatch(file("d.csv"), file("disk/out"), "pro", 8);
        QCOMPARE(messages.value(301).second, QStringLiteral("生成统计：成功 300 个， 错误：1 个（在保存路径查看错误信息）"));
        QMap<QString, QByteArray> made;
        for (const QString &name : QDir(file("disk/out")).entryList(QDir::Files))
            made[name] = TestSupport::readBytes(file("disk/out/" + name));
        QCOMPARE(made.size(), 301);
        QVERIFY(disk.crashAndRemount());
        for (auto it = made.cbegin(); it != made.cend(); ++it)
            QVERIFY2(TestSupport::readBytes(file("disk/out/" + it.key())) == it.value(), qPrintable(it.key()));
        QCOMPARE(made.value("error_log.txt"), QByteArray(",\n"));
        QCOMPARE(decoded(file("disk/out/c7.png")), QStringLiteral("code 7"));
        QCOMPARE(decoded(file("disk/out/c299.png")), QStringLiteral("code 299"));
    }

    void aFullDiskIsToldNotPointedAt()
    {
        // A batch into a disk that fills up: the rows that did not fit cannot be logged either, so the page
        // says so in its own words instead of pointing at a log that lacks them; the codes made are counted.
        TestSupport::ScratchDisk disk(file("disk"), "1M");
        if (!disk.mounted())
            QSKIP("mounting a small file system needs root");
        QByteArray rows = "name,text\n";
        for (int i = 0; i < 600; ++i)
            rows += "row" + QByteArray::number(i) + ",https://www.vopa.example/" + QByteArray::number(i) + "\n";
        QVERIFY(TestSupport::writeBytes(file("d.csv"), rows));
        QVERIFY(QDir().mkpath(file("disk/out")) && disk.fill());
        QFile filler(file("disk/.filler"));
        QVERIFY(filler.resize(filler.size() - 48 * 1024));
        const Messages messages = runBatch(file("d.csv"), file("disk/out"), "pro");
        QCOMPARE(messages.size(), 601);
        QCOMPARE(messages.last(), qMakePair(QStringLiteral("warning"), QStringLiteral("错误日志写入失败，请检查保存文件夹权限")));
        const int made = QDir(file("disk/out")).entryList({"*.png"}, QDir::Files).size();
        QVERIFY2(made > 0 && made < 600, qPrintable(QString::number(made)));
        QCOMPARE(readTextFile(file("qrcode_create.cache")), QString::number(made));

        // A log the disk stops taking, then takes again: each line in it whole, none after a part of one.
        QVERIFY(filler.resize(filler.size() - 100 * 1024));
        BatchFile log;
        QVERIFY(log.open(file("disk/lines.txt")));
        const auto line = [](int i) { return QString("L%1 ").arg(i, 5, 10, QLatin1Char('0')) + QString(90, 'x'); };
        for (int i = 0; i < 3000; ++i)
            log.writeLine(line(i));
        QVERIFY(filler.resize(filler.size() - 200 * 1024));
        for (int i = 3000; i < 3010; ++i)
            log.writeLine(line(i));
        QVERIFY(!log.close());
        const QStringList written = text(file("disk/lines.txt")).split('\n', Qt::SkipEmptyParts);
        QVERIFY(!written.isEmpty() && TestSupport::readBytes(file("disk/lines.txt")).endsWith('\n'));
        for (int i = 0; i < written.size(); ++i)
            QCOMPARE(written.at(i), line(i));
    }

    void twoBatchesShareOneFolder()
    {
        // Both batches at once into one folder, each with far more than a buffer of lines for its error
        // log, and two batch decodes started in the same second, whose result files are one file: every
        // line arrives whole, each batch's lines in its own order.
        QByteArray rows = "name,text\n";
        QStringList madeLines;
        for (int i = 0; i < 2000; ++i) {
            const QByteArray name = "E" + QByteArray::number(10000 + i) + "_" + QByteArray(40, 'x');
            rows += name + (i % 2 ? ",\n" : ",a code\n");
            if (i % 2)
                madeLines << QString::fromLatin1(name + ",");
        }
        QVERIFY(TestSupport::writeBytes(file("d.csv"), rows) && QDir().mkpath(file("junk")) && QDir().mkpath(file("codes")));
        QStringList junk;
        for (int i = 0; i < 2000; ++i) {
            junk << file(QString("junk/junk_%1_%2.txt").arg(10000 + i).arg(QString(40, 'y')));
            QVERIFY(TestSupport::writeBytes(junk.last(), "not a picture"));
        }
        QVERIFY(TestSupport::writeCode(file("codes/model.png"), "shared"));
        QStringList codes;
        for (int i = 0; i < 600; ++i) {
            codes << QString("code_%1_%2").arg(10000 + i).arg(QString(80, 'z'));
            QVERIFY(QFile::copy(file("codes/model.png"), file("codes/" + codes.last() + ".png")));
        }
        QVERIFY(QFile::remove(file("codes/model.png")));
        const auto decodeOnAThread = [](const QString &source, const QString &target) {
            auto *thread = new QThread;
            auto *worker = new BatchJiema;
            worker->moveToThread(thread);
            QObject::connect(worker, &QObject::destroyed, thread, &QThread::quit, Qt::DirectConnection);
            thread->start();
            QMetaObject::invokeMethod(worker, "batchStart", Qt::QueuedConnection, Q_ARG(QString, source),
                                      Q_ARG(QString, target), Q_ARG(QString, QString()));
            return thread;
        };
        const auto lines = [&](const QString &name) {
            return text(file("out/" + name)).split('\n');
        };
        // Each batch's own lines, in its own order, with nothing else inside or between them.
        const auto inOrder = [](const QStringList &all, const QStringList &expected, const QString &prefix) {
            QStringList own;
            for (const QString &line : all)
                if (line.startsWith(prefix))
                    own << line;
            return own == expected;
        };

        // Two logs of one folder written a line each in turn, as two batches may: every line whole.
        {
            QVERIFY(QDir().mkpath(file("out")));
            BatchFile first, second;
            QVERIFY(first.open(file("out/error_log.txt")) && second.open(file("out/error_log.txt")));
            for (const QString &line : madeLines) {
                first.writeLine(line);
                second.writeLine(line.toLower());
            }
            QVERIFY(first.close() && second.close());
            QStringList all = lines("error_log.txt");
            QVERIFY(all.size() == 2 * madeLines.size() + 1 && all.takeLast().isEmpty());
            QVERIFY(inOrder(all, madeLines, "E"));
            QStringList lowered;
            for (const QString &line : madeLines)
                lowered << line.toLower();
            QVERIFY(inOrder(all, lowered, "e"));
            QVERIFY(QFile::remove(file("out/error_log.txt")));
        }

        QScopedPointer<QThread> decoding(decodeOnAThread(file("junk"), file("out")));
        QCOMPARE(runBatch(file("d.csv"), file("out"), "pro").value(2000).second,
                 QStringLiteral("生成统计：成功 1000 个， 错误：1000 个（在保存路径查看错误信息）"));
        QVERIFY(decoding->wait(60000));
        const QStringList log = lines("error_log.txt");
        QCOMPARE(log.size(), 1000 + 2000 + 1);
        QVERIFY(log.last().isEmpty());
        QVERIFY(inOrder(log, madeLines, "E"));
        QStringList junkLines;
        for (const QString &line : log)
            if (!line.startsWith("E") && !line.isEmpty())
                junkLines << line.section(" : ", 1);
        junkLines.sort();
        QCOMPARE(junkLines, junk);

        // Two batch decodes in one second: one result file, each line whole.
        QVERIFY(QDir(file("out")).removeRecursively());
        QTest::qWait(1000 - QTime::currentTime().msec() % 1000);
        QScopedPointer<QThread> first(decodeOnAThread(file("codes"), file("out"))),
            second(decodeOnAThread(file("codes"), file("out")));
        QVERIFY(first->wait(60000) && second->wait(60000));
        const QStringList results = QDir(file("out")).entryList({"*.csv"});
        QCOMPARE(results.size(), 1);
        QStringList got = lines(results.first());
        QCOMPARE(got.count(QStringLiteral("文件名,二维码内容 ")), 2);
        got.removeAll(QStringLiteral("文件名,二维码内容 "));
        got.removeAll(QString());
        QStringList expected;
        for (const QString &code : codes)
            expected << code + ".png,shared" << code + ".png,shared";
        got.sort();
        expected.sort();
        QCOMPARE(got, expected);
    }

    void everyStyleAndFormat()
    {
        QVERIFY(TestSupport::writeBytes(file("d.csv"), "name,text\nc1,批量 code\n"));
        QVERIFY(TestSupport::writeSolid(file("bg.jpeg"), QSize(420, 420), QColor("#f0f0f0"), "JPG"));
        QVERIFY(TestSupport::writeAnimatedBackground(file("bg.gif"), QSize(420, 420), {100, 100}));
        const QString jpeg = QString::fromUtf8(kOnBackground).arg(file("bg.jpeg"));
        const QList<std::tuple<const char *, const char *, QString, const char *>> cases = {
            {"pro", "create_style.cache", "", "c1.png"},
            {"visual", "visual_style.cache", QString(jpeg).replace(".jpeg", ".gif"), "c1.gif"},
            {"bsd", "bsd_style.cache", jpeg, "c1.jpg"},
            {"lunkuo", "lunkuo_style.cache", jpeg, "c1.jpg"},
            {"svg", "svg_style.cache", QString::fromUtf8(kVector).arg("false"), "c1.svg"},
            {"svg", "svg_style.cache", QString::fromUtf8(kVector).arg("true"), "c1.pdf"}};
        for (const auto &[style, record, json, output] : cases) {
            QVERIFY(json.isEmpty() || writeTextFile(file(record), json, false));
            const QString folder = file(QString(style) + "_" + output);
            QCOMPARE(runBatch(file("d.csv"), folder, style).value(1).second,
                     QStringLiteral("生成统计：成功 1 个， 错误：0 个（在保存路径查看错误信息）"));
            QVERIFY2(decoded(folder + "/" + output) == QStringLiteral("批量 code"), qPrintable(folder));
            TestSupport::saveToGallery(QString("batch_") + style + "_" + output, TestSupport::loadFirst(folder + "/" + output));
        }
        // An unknown style: every data row an error.
        QVERIFY(TestSupport::writeBytes(file("d.csv"), "name,text\na,1\nb,2\n"));
        QCOMPARE(runBatch(file("d.csv"), file("unknown"), "PRO").value(2).second,
                 QStringLiteral("生成统计：成功 0 个， 错误：2 个（在保存路径查看错误信息）"));
        QCOMPARE(text(file("unknown/error_log.txt")), QStringLiteral("a,1\nb,2\n"));
    }

    void refusals()
    {
        // A package that cannot be read is told; a header alone runs empty; a folder or log that cannot be made.
        QVERIFY(TestSupport::writeBytes(file("header.csv"), "name,text\n"));
        QVERIFY(TestSupport::writeBytes(file("blocker"), "a file"));
        QCOMPARE(runBatch(file("none.csv"), file("out"), "pro"), (Messages{{"warning", "请选择正确csv数据包文件"}}));
        QCOMPARE(runBatch(file("header.csv"), file("blocker/out"), "pro"),
                 (Messages{{"warning", "保存文件夹不存在并且创建失败"}}));
        QVERIFY(QDir().mkpath(file("logdir/error_log.txt")));
        QCOMPARE(runBatch(file("header.csv"), file("logdir"), "pro"),
                 (Messages{{"warning", "错误日志写入失败，请检查保存文件夹权限"}}));
        QVERIFY(!QFile::exists(file("qrcode_create.cache")));
        const Messages empty = runBatch(file("header.csv"), file("empty"), "bsd");
        QCOMPARE(empty.value(0).second, QStringLiteral("生成统计：成功 0 个， 错误：0 个（在保存路径查看错误信息）"));
        QVERIFY(QFile::exists(file("empty/error_log.txt")));
        QCOMPARE(readTextFile(file("qrcode_create.cache")), QStringLiteral("0"));
        // A package typed by hand that is a FIFO, a link to an endless device, a folder or larger than a
        // package can be (sparse, 65 MB) is told at once, and nothing of it is read. In a child process,
        // so that a read that blocks fails instead of hanging the suite.
        QVERIFY(::mkfifo(qPrintable(file("fifo.csv")), 0644) == 0 && QFile::link("/dev/zero", file("zero.csv")));
        QVERIFY(TestSupport::writeBytes(file("huge.csv"), "name,text\na,1\n") && QFile(file("huge.csv")).resize(65 << 20));
        long grewKb = -1;
        QVERIFY(TestSupport::finishesWithin(20, [&] {
            bool told = true;
            for (const char *name : {"fifo.csv", "zero.csv", "empty", "huge.csv"})
                told = runBatch(file(name), file("unread"), "pro") == Messages{{"warning", "请选择正确csv数据包文件"}}
                       && Csv::readFile(file(name), QString()) == QList<QStringList>{{""}} && told;
            return told && !QFile::exists(file("unread"));
        }, &grewKb));
        QVERIFY2(grewKb < 64 * 1024, qPrintable(QString("the reads took %1 kB").arg(grewKb)));
    }
};

QTEST_MAIN(TestBatchCreate)
#include "tst_batchcreate.moc"
