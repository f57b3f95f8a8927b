// The batch decode worker: a folder tree into result files and an error log,
// its messages and counter; the "excel" mode read back by a CSV reader; write
// failures; decoding ahead writes what one file at a time writes.
#include "batchjiema.h"
#include "helpers.h"
#include "testsupport.h"

#include <QDir>
#include <QJsonArray>
#include <QJsonDocument>
#include <QPointer>
#include <QProcess>
#include <QRegularExpression>
#include <QtTest>

#include <sys/stat.h>

namespace {

using Messages = QList<QPair<QString, QString>>;

Messages runBatch(const QString &source, const QString &target, const QString &option, int lookAhead = 4)
{
    return TestSupport::runBatch(new BatchJiema, source, target, option, lookAhead);
}

// Runs one batch on this thread; the messages it sent, once it has gone.

// The start stamp of the batch that wrote into `results`.
QString stampIn(const QString &results)
{
    const QStringList names = QDir(results).entryList({"*.csv"}, QDir::Files, QDir::Name);
    return names.isEmpty() ? QString() : names.first().left(19);
}

} // namespace

class TestBatchJiema : public QObject
{
    Q_OBJECT

    TestCwd m_cwd;

    QString file(const QString &name) const { return m_cwd.file(name); }
    QString text(const QString &path) const { return QString::fromUtf8(TestSupport::readBytes(path)); }

private slots:
    void init() { m_cwd.enter(); }
    void cleanup() { m_cwd.leave(); }

    void folderTree()
    {
        const QString src = file("scans");
        QVERIFY(QDir().mkpath(src + "/sub") && QDir().mkpath(src + "/.hidden") && QDir().mkpath(file("elsewhere")));
        QVERIFY(TestSupport::writeCode(src + "/a.png", "甲 one"));
        QVERIFY(TestSupport::writeCode(src + "/b.jpg", "two", "JPG"));
        QVERIFY(TestSupport::writeCode(src + "/.h.png", "hidden"));
        QVERIFY(TestSupport::writeBytes(src + "/notes.txt", "no picture"));
        QVERIFY(QFile::link(src + "/a.png", src + "/link.png"));
        QVERIFY(TestSupport::writeCode(src + "/sub/x.png.png", "x"));
        QVERIFY(TestSupport::writeCode(src + "/sub/name.", "dot"));
        QVERIFY(TestSupport::writeCode(src + "/sub/noext", "plain"));
        QVERIFY(TestSupport::writeCode(src + "/.hidden/skipped.png", "never"));
        QVERIFY(TestSupport::writeCode(file("elsewhere/far.png"), "far"));
        QVERIFY(QFile::link(file("elsewhere"), src + "/linked"));
        QVERIFY(writeTextFile(file("qrcode_jiema.cache"), "10", false));

        const Messages messages = runBatch(src, file("out"), "default");
        const QString stamp = stampIn(file("out"));
        QVERIFY(QRegularExpression("^\\d{4}(_\\d\\d){5}$").match(stamp).hasMatch());
        // The folder file: header, then the files in listing order; hidden files too, links to files not.
        const QStringList files = QDir(src).entryList(QDir::Files | QDir::Hidden | QDir::NoSymLinks, QDir::Unsorted);
        QCOMPARE(QSet<QString>(files.begin(), files.end()), (QSet<QString>{"a.png", "b.jpg", ".h.png", "notes.txt"}));
        const QMap<QString, QString> texts = {{"a.png", "甲 one"}, {"b.jpg", "two"}, {".h.png", "hidden"}};
        QString folderFile = "文件名,二维码内容 \n";
        Messages expected;
        for (const QString &name : files) {
            expected.append({"progress", "正在解码：" + src + "/" + name});
            if (texts.contains(name))
                folderFile += name + "," + texts.value(name) + "\n";
        }
        QCOMPARE(text(file("out/" + stamp + ".csv")), folderFile);
        // Subfolders by absolute path, a linked one included, hidden ones not; names lose their extension.
        const QStringList folders = QDir(src).entryList(QDir::Dirs | QDir::NoDotAndDotDot, QDir::Unsorted);
        QCOMPARE(QSet<QString>(folders.begin(), folders.end()), (QSet<QString>{"sub", "linked"}));
        QString names = stamp + ".csv";
        for (const QString &folder : folders) {
            names += " , " + stamp + "__" + folder + ".csv";
            for (const QString &name : QDir(src + "/" + folder).entryList(QDir::Files | QDir::Hidden, QDir::Unsorted))
                expected.append({"progress", "正在解码：" + src + "/" + folder + "/" + name});
        }
        QCOMPARE(text(file("out/" + stamp + "__linked.csv")), QStringLiteral("far,far\n"));
        QStringList subLines = text(file("out/" + stamp + "__sub.csv")).split('\n');
        subLines.sort();
        QCOMPARE(subLines, (QStringList{"", "name,dot", "noext,plain", "x,x"}));
        QCOMPARE(text(file("out/error_log.txt")), stamp + " : " + src + "/notes.txt\n");
        expected.append(qMakePair(QStringLiteral("success"), QStringLiteral("解码统计：成功 7 个， 错误：1 个（在保存路径查看错误信息）")));
        QCOMPARE(messages.mid(0, expected.size()), expected);
        QVERIFY(QRegularExpression("^解码用时：[0-9.]+ 秒$").match(messages.value(expected.size()).second).hasMatch());
        QCOMPARE(messages.mid(expected.size() + 1),
                 (Messages{{"progress", "<div style='color:green'>解码完成：</div><span style='white-space:pre'>" + names
                                            + "</span>"}}));
        QCOMPARE(readTextFile(file("qrcode_jiema.cache")), QStringLiteral("17"));

        // Decoding ahead on other cores writes exactly what one file at a time writes.
        const Messages alone = runBatch(src, file("alone"), "excel", 1);
        const Messages ahead = runBatch(src, file("ahead"), "excel", 8);
        const auto written = [&](const QString &folder, const Messages &sent) {
            QStringList all;
            const QString batchStamp = stampIn(folder);
            for (const QString &name : QDir(folder).entryList(QDir::Files, QDir::Name))
                all << QString(name).replace(batchStamp, "S") + ":" + text(folder + "/" + name).replace(batchStamp, "S");
            for (const auto &message : sent)
                all << message.first + ":" + QString(message.second).replace(batchStamp, "S");
            return all.filter(QRegularExpression("^(?!runtime)"));
        };
        QCOMPARE(written(file("ahead"), ahead), written(file("alone"), alone));

        // Results inside the folder: that subfolder is listed at its turn, with the files written so far.
        QVERIFY(QDir().mkpath(file("inner/out")));
        QVERIFY(TestSupport::writeCode(file("inner/a.png"), "a"));
        QCOMPARE(runBatch(file("inner"), file("inner/out"), "default", 8).value(3).second,
                 QStringLiteral("解码统计：成功 1 个， 错误：2 个（在保存路径查看错误信息）"));
        QCOMPARE(text(file("inner/out/error_log.txt")).count(" : " + file("inner/out/")), 2);

        // Runtime figures, six significant digits.
        QCOMPARE(BatchJiema::secondsText(2500) + " " + BatchJiema::secondsText(61234) + " "
                     + BatchJiema::secondsText(7654321) + " " + BatchJiema::secondsText(0),
                 QStringLiteral("2.5 61.234 7654.32 0"));
    }

    void subfoldersAtTheirTurnAndStops()
    {
        // A file that arrives in a later subfolder while an earlier one is decoded is decoded at its
        // turn, also when decoding ahead; a name holding markup is sent as it is and escaped only in the
        // final (rich-text) line.
        const QString src = file("scans");
        for (const QString folder : {"one", "a&<b>", "three"})
            QVERIFY(QDir().mkpath(src + "/" + folder));
        const QStringList folders = QDir(src).entryList(QDir::Dirs | QDir::NoDotAndDotDot, QDir::Unsorted);
        QVERIFY(TestSupport::writeCode(src + "/top.png", "top"));
        for (const QString &folder : folders)
            QVERIFY(TestSupport::writeCode(src + "/" + folder + "/first.png", folder));
        QVERIFY(TestSupport::writeCode(file("late.png"), "late"));
        for (const int lookAhead : {1, 8}) {
            const QString out = file("out" + QString::number(lookAhead));
            for (const QString &folder : folders)
                QFile::remove(src + "/" + folder + "/late.png");
            auto *worker = new BatchJiema;
            worker->setLookAhead(lookAhead);
            Messages messages;
            connect(worker, &BatchJiema::returnResult, [&](const QString &type, const QString &message) {
                messages.append({type, message});
                // While the first subfolder is decoded, later ones receive a file each.
                if (message == "正在解码：" + src + "/" + folders.first() + "/first.png")
                    for (const QString &later : folders.mid(1))
                        QFile::copy(file("late.png"), src + "/" + later + "/late.png");
            });
            worker->batchStart(src, out, "default");
            QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
            const QString stamp = stampIn(out);
            QCOMPARE(messages.value(messages.size() - 3).second,
                     QStringLiteral("解码统计：成功 6 个， 错误：0 个（在保存路径查看错误信息）"));
            QCOMPARE(text(out + "/" + stamp + "__" + folders.first() + ".csv"), "first," + folders.first() + "\n");
            for (const QString &later : folders.mid(1)) {
                QStringList lines = text(out + "/" + stamp + "__" + later + ".csv").split('\n', Qt::SkipEmptyParts);
                lines.sort();
                QCOMPARE(lines, (QStringList{"first," + later, "late,late"}));
                QVERIFY(messages.contains({"progress", "正在解码：" + src + "/" + later + "/late.png"}));
            }
            QVERIFY(messages.last().second.contains(stamp + "__a&amp;&lt;b&gt;.csv"));
            QVERIFY(!messages.last().second.contains("<b>"));
        }

        // A stop asked while the folder's last file is decoded: that file's line is written, and nothing
        // more, not even the next subfolder's result file; no statistics, no count.
        QVERIFY(TestSupport::writeBytes(file("qrcode_jiema.cache"), "3"));
        auto *worker = new BatchJiema;
        QPointer<BatchJiema> alive(worker);
        Messages messages;
        connect(worker, &BatchJiema::returnResult, [&](const QString &type, const QString &message) {
            messages.append({type, message});
            worker->requestStop();
        });
        worker->batchStart(src, file("stopped"), "default");
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        QVERIFY(alive.isNull());
        QCOMPARE(messages, (Messages{{"progress", "正在解码：" + src + "/top.png"}}));
        const QString stamp = stampIn(file("stopped"));
        QCOMPARE(QDir(file("stopped")).entryList(QDir::Files, QDir::Name), (QStringList{stamp + ".csv", "error_log.txt"}));
        QCOMPARE(text(file("stopped/" + stamp + ".csv")), QStringLiteral("文件名,二维码内容 \ntop.png,top\n"));
        QCOMPARE(readTextFile(file("qrcode_jiema.cache")), QStringLiteral("3"));
    }

    void excelMode()
    {
        // Quotes, commas and line breaks survive a spreadsheet's reading; digits stay text.
        const QString src = file("in");
        QVERIFY(QDir().mkpath(src));
        const QList<QPair<QString, QString>> codes = {{"comma.png", "a,b"},     {"quote.png", "say \"hi\""},
                                                      {"cr.png", "one\rtwo"},   {"lf.png", "one\ntwo"},
                                                      {"digits.png", "0012345678901234567890"},
                                                      {"a,b \"c\".png", "plain text"}};
        for (const auto &code : codes)
            QVERIFY(TestSupport::writeCode(src + "/" + code.first, code.second));
        runBatch(src, file("out"), "excel");
        const QString result = file("out/" + stampIn(file("out")) + ".csv");
        QProcess python;
        python.start("python3", {"-c", "import csv,sys,json; print(json.dumps(list(csv.reader(open(sys.argv[1], "
                                       "encoding='utf-8', newline='')))))", result});
        QVERIFY(python.waitForFinished(30000));
        const QJsonArray rows = QJsonDocument::fromJson(python.readAllStandardOutput()).array();
        QCOMPARE(rows.size(), codes.size() + 1);
        QMap<QString, QString> read;
        for (int i = 1; i < rows.size(); ++i)
            read.insert(rows.at(i).toArray().at(0).toString(), rows.at(i).toArray().at(1).toString());
        for (const auto &code : codes)
            QCOMPARE(read.value(code.first), code.first == "digits.png" ? code.second + "\t" : code.second);
        QCOMPARE(BatchJiema::excelText("a1") + BatchJiema::excelText("12") + BatchJiema::excelText(""),
                 QStringLiteral("a1\"12\t\""));
        QCOMPARE(BatchJiema::nameWithoutExtension(".cfg") + "|" + BatchJiema::nameWithoutExtension("a.b"), QStringLiteral("|a"));
    }

    void refusalsAndWriteFailures()
    {
        QVERIFY(QDir().mkpath(file("in")));
        QVERIFY(TestSupport::writeBytes(file("in/notes.txt"), "no picture"));
        QVERIFY(TestSupport::writeBytes(file("blocker"), "a file"));
        QCOMPARE(runBatch(file("none"), file("out"), "default"), (Messages{{"warning", "你选择的文件夹不存在"}}));
        QCOMPARE(runBatch(file("in"), file("blocker/out"), "default"),
                 (Messages{{"warning", "保存文件夹不存在并且创建失败"}}));
        QVERIFY(QDir().mkpath(file("logdir/error_log.txt")));
        QCOMPARE(runBatch(file("in"), file("logdir"), "default").last(),
                 (QPair<QString, QString>{"warning", "错误日志写入失败，请检查保存文件夹权限"}));
        // A log that is not a regular file is refused at once, never opened (a FIFO's open would block).
        QVERIFY(QDir().mkpath(file("device")) && QFile::link("/dev/full", file("device/error_log.txt")));
        QVERIFY(QDir().mkpath(file("fifo")) && ::mkfifo(QFile::encodeName(file("fifo/error_log.txt")).constData(), 0644) == 0);
        for (const char *folder : {"device", "fifo"})
            QCOMPARE(runBatch(file("in"), file(folder), "default").last(),
                     (QPair<QString, QString>{"warning", "错误日志写入失败，请检查保存文件夹权限"}));
        // A log line that cannot be written (a full disk): the warning, no statistics, no count.
        TestSupport::ScratchDisk disk(file("full"), "256k");
        if (!disk.mounted())
            QSKIP("mounting a small file system needs root");
        QVERIFY(TestSupport::writeBytes(file("full/error_log.txt"), "") && disk.fill());
        const Messages full = runBatch(file("in"), file("full"), "default");
        QCOMPARE(full.last(), (QPair<QString, QString>{"warning", "保存文件写入失败，请检查文件夹权限"}));
        QCOMPARE(full.size(), 2);
        QVERIFY(!QFile::exists(file("qrcode_jiema.cache")));
    }
};

QTEST_MAIN(TestBatchJiema)
#include "tst_batchjiema.moc"
