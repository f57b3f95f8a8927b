// The common helpers the renderers and pages share: file copies, counters
// raised from two threads, and the alignment-pattern table checked against
// the encoder's own patterns.
#include "helpers.h"
#include "rendersupport.h"

#include <QDir>
#include <QRegularExpression>
#include <pwd.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <fcntl.h>
#include <unistd.h>
#include <QThread>
#include <QtTest>

using namespace TestSupport;

class TestHelpers : public QObject
{
    Q_OBJECT

private slots:
    void init() { m_cwd.enter(); }
    void cleanup()
    {
        FileReplacement::useUnnamedFiles(true);
        m_cwd.leave();
    }

    void copiesAndCounters()
    {
        // A failed copy keeps the old target; the same file under another name is
        // left alone (an old stamp shows a rewrite), as "save as" onto the code itself.
        const QByteArray payload("ab\0cd", 5), old("an older and longer target");
        QFile file("src.bin");
        QVERIFY(writeBytes("src.bin", payload) && QFile::link(m_cwd.file("src.bin"), "link"));
        for (const char *source : {"", "missing", "."})
            QVERIFY2(writeBytes("old.bin", old) && !copyFile(source, "old.bin") && readBytes("old.bin") == old, source);
        QVERIFY(!copyFile("src.bin", "") && !copyFile("src.bin", "no/dir") && readBytes("old.bin") == old);
        QVERIFY(copyFile(m_cwd.file("src.bin"), "old.bin") && readBytes("old.bin") == payload);
        const QDateTime stamp = QDateTime::fromSecsSinceEpoch(1000000000);
        QVERIFY(file.open(QIODevice::ReadWrite) && file.setFileTime(stamp, QFileDevice::FileModificationTime));
        for (const char *same : {"src.bin", "./src.bin", "link"})
            QVERIFY2(copyFile("src.bin", same) && copyFile(same, "src.bin") && readBytes("src.bin") == payload
                         && QFileInfo("src.bin").lastModified() == stamp, same);
        QCOMPARE(QDir().entryList(QDir::Files | QDir::Hidden), QStringList({"link", "old.bin", "src.bin"}));
        // A counter is the text of an int in <name>.cache. The decode page and a
        // batch worker may add at once: two threads lose nothing and log nothing.
        const auto adder = [] {
            for (int i = 0; i < 300; ++i)
                addCacheCounter("qrcode_create", 1);
        };
        QScopedPointer<QThread> second(QThread::create(adder));
        second->start();
        QVERIFY(collectMessages(adder).isEmpty() && second->wait(60000) && readBytes("qrcode_create.cache") == "600");
        // A counter that cannot be written stays, and says so.
        QVERIFY(QDir().mkdir("qrcode_jiema.cache"));
        QCOMPARE(collectMessages([] { addCacheCounter("qrcode_jiema", 1); }, false),
                 QStringList{"counter qrcode_jiema stays at 0: it cannot be written"});
        // A copy onto a link replaces the file it names and keeps the link.
        QVERIFY(writeBytes("old.bin", old) && copyFile("old.bin", "link"));
        QVERIFY(QFileInfo("link").isSymLink() && readBytes("src.bin") == old);
    }

    void replacementKeepsPermissions()
    {
        // A new file gets 0666 less the umask; a replaced one keeps its mode.
        const auto mode = [](const char *path) {
            struct stat info;
            return ::stat(path, &info) == 0 ? int(info.st_mode & 0777) : -1;
        };
        const mode_t before = ::umask(077);
        QVERIFY(writeTextFile("new.txt", "x", false) && copyFile("new.txt", "copy.txt"));
        ::umask(before);
        QCOMPARE(mode("new.txt"), 0600);
        QCOMPARE(mode("copy.txt"), 0600);
        QVERIFY(::chmod("new.txt", 0640) == 0 && writeTextFile("new.txt", "y", false));
        QCOMPARE(mode("new.txt"), 0640);
        // Temporary names: ten letters and digits, new each time.
        const QString name = randomString(10);
        QVERIFY(QRegularExpression("^[0-9A-Z]{10}$").match(name).hasMatch() && name != randomString(10));
        QVERIFY(randomString(0).isEmpty() && randomString(-3).isEmpty());
        // A device is written in place, and a write it refuses is a failure.
        QVERIFY(writeTextFile("/dev/null", "x", false) && !writeTextFile("/dev/full", "x", false));

        // A write-protected file is not replaced by its user (root may write anything, so a child
        // process drops to "nobody" for the check).
        QVERIFY(::chmod(m_cwd.path().toLocal8Bit().constData(), 0777) == 0);
        QVERIFY(writeBytes("locked.txt", "old") && writeBytes("source.txt", "new"));
        QVERIFY(::chmod("locked.txt", 0444) == 0 && ::chmod("source.txt", 0644) == 0);
        const auto refused = [] {
            return !copyFile("source.txt", "locked.txt") && !writeTextFile("locked.txt", "new", false)
                   && readBytes("locked.txt") == "old";
        };
        const TestSupport::Unprivileged run = TestSupport::runUnprivileged({"locked.txt"}, refused);
        if (run == TestSupport::Unprivileged::NoUser)
            QSKIP("no user nobody");
        QVERIFY(run == TestSupport::Unprivileged::Passed);
    }

    void replacementsMadeAheadAndHeld_data()
    {
        QTest::addColumn<bool>("unnamed");
        QTest::newRow("unnamed until in place") << true;
        QTest::newRow("hidden name beside") << false;
    }

    void replacementsMadeAheadAndHeld()
    {
        QFETCH(bool, unnamed);
        FileReplacement::useUnnamedFiles(unnamed);
        // A replacement made ahead is put in place as a write made at that moment would be: over a file
        // that turned up meanwhile (its mode kept), through a link that now names a file elsewhere, in
        // place on a device; one never put in place, or refused, leaves no file behind.
        QVERIFY(QDir().mkpath("a") && QDir().mkpath("b"));
        QFile other("other.txt");
        {
            FileReplacement late("late.txt", "late", FileReplacement::Sync::WhenReplacing);
            QVERIFY(writeBytes("late.txt", "there first") && ::chmod("late.txt", 0604) == 0);
            QVERIFY(late.commit() && readBytes("late.txt") == "late");
            // What the replacement held is closed once: a file opened since keeps its descriptor.
            QVERIFY(other.open(QIODevice::WriteOnly));
        }
        QVERIFY(::fcntl(other.handle(), F_GETFD) != -1 && other.write("kept") == 4 && other.flush());
        other.close();
        QVERIFY(QFile::remove("other.txt"));
        struct stat status;
        QVERIFY(::stat("late.txt", &status) == 0 && (status.st_mode & 0777) == 0604);
        QVERIFY(writeBytes("a/f.txt", "a") && writeBytes("b/f.txt", "b") && QFile::link("a/f.txt", "moved"));
        FileReplacement moved("moved", "new");
        QVERIFY(QFile::remove("moved") && QFile::link("b/f.txt", "moved"));
        QSet<QString> folders;
        QVERIFY(moved.commit(&folders) && readBytes("b/f.txt") == "new" && readBytes("a/f.txt") == "a");
        QCOMPARE(folders, QSet<QString>{m_cwd.file("b")});
        QVERIFY(QFileInfo("moved").isSymLink());
        QVERIFY(FileReplacement("/dev/null", "x").commit() && !FileReplacement("/dev/full", "x").commit());
        {
            FileReplacement dropped("dropped.txt", "never");
            FileReplacement taken = std::move(dropped);
        }
        QVERIFY(QDir().mkdir("dir.txt"));
        QVERIFY(!FileReplacement("dir.txt", "x").commit() && !FileReplacement("", "x").commit());
        QCOMPARE(QDir().entryList(QDir::Files | QDir::Hidden), (QStringList{"late.txt", "moved"}));
        QCOMPARE(QDir("a").entryList(QDir::Files | QDir::Hidden) + QDir("b").entryList(QDir::Files | QDir::Hidden),
                 (QStringList{"f.txt", "f.txt"}));

        // Held writes: nothing reaches the disk until they are made, in order; each counts as done meanwhile.
        HeldWrites held;
        QVERIFY(holdingWrites(&held, [] {
            return writeTextFile("held.txt", "first", false) && copyFile("late.txt", "held.txt")
                   && !writeTextFile("", "x", false);
        }));
        QCOMPARE(held.size(), size_t(2));
        QVERIFY(!QFile::exists("held.txt"));
        QVERIFY(makeHeldWrites(held) && readBytes("held.txt") == "late");
        syncFolders({m_cwd.path(), m_cwd.file("a"), "/no/such/folder"});
    }

    void alignmentTable()
    {
        // Centres, largest first, by symbol width; none outside versions 2 to 40.
        QCOMPARE(alignmentPatternCenters(177), QList<int>({170, 142, 114, 86, 58, 30, 6}));
        QVERIFY(alignmentPatternCenters(13).isEmpty() && alignmentPatternCenters(181).isEmpty());
        // Versions 1 to 40: the table's centres are where the encoder drew its
        // patterns (dark centre and ring, light between), clear of the finders.
        for (int version = 1; version <= 40; ++version) {
            const Symbol symbol("geometry", version, 0);
            const QrGrid &g = symbol.grid;
            const int w = g.width(), perSide = 2 + version / 7;
            QVERIFY(w == 17 + 4 * version && qrVersionFromWidth(w) == version);
            QCOMPARE(g.alignmentList(), alignmentPatternCenters(w));
            int anchors = 0;
            for (int p = 0; p < w * w; ++p) {
                bool anchor = false;
                if (!g.inAlignmentArea(p % w, p / w, &anchor) || !anchor)
                    continue;
                ++anchors;
                for (int d = 0; d < 25; ++d) {
                    const int x = p % w + d % 5, y = p / w + d / 5;
                    const bool ring = qMax(qAbs(d % 5 - 2), qAbs(d / 5 - 2)) == 1;
                    QVERIFY2(g.inAlignmentArea(x, y) && g.finderArea(x, y, 8) < 0 && g.dark(x, y) != ring,
                             qPrintable(QStringLiteral("version %1 module %2,%3").arg(version).arg(x).arg(y)));
                }
            }
            QCOMPARE(anchors, version == 1 ? 0 : version < 7 ? 1 : perSide * perSide - 3);
        }
        // Version 40 at level H holds 1273 bytes and no more.
        const auto encodes = [](QByteArray t) { return QrSymbolHolder(encodeQrContent(t, 40, 3, 2, true)).get(); };
        QVERIFY(encodes(QByteArray(1273, 'a')) && !encodes(QByteArray(1274, 'a')));
    }

private:
    TestCwd m_cwd;
};

QTEST_MAIN(TestHelpers)
#include "tst_helpers.moc"
