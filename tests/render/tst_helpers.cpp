// The common helpers the renderers and pages share: file copies, counters
// raised from two threads, the one write path on unusual names and folders,
// and the alignment-pattern table checked against the encoder's own patterns.
#include "decodefront.h"
#include "gifimage.h"
#include "helpers.h"
#include "picturereader.h"
#include "rendersupport.h"

#include <QDir>
#include <QProcess>
#include <QRegularExpression>
#include <csignal>
#include <cstring>
#include <pwd.h>
#include <sys/file.h>
#include <sys/inotify.h>
#include <sys/resource.h>
#include <sys/socket.h>
#include <sys/statfs.h>
#include <sys/sysmacros.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <sys/wait.h>
#include <sys/xattr.h>
#include <fcntl.h>
#include <unistd.h>
#include <QThread>
#include <QtTest>

using namespace TestSupport;

namespace {

// The system's guards for shared sticky folders (fs.protected_symlinks,
// fs.protected_regular) set for as long as this lives, then put back.
class SystemGuards
{
public:
    SystemGuards(int symlinks, int regular)
    {
        m_set = set("protected_symlinks", symlinks, &m_symlinks) && set("protected_regular", regular, &m_regular);
    }
    ~SystemGuards()
    {
        if (!m_symlinks.isEmpty())
            writeBytes("/proc/sys/fs/protected_symlinks", m_symlinks);
        if (!m_regular.isEmpty())
            writeBytes("/proc/sys/fs/protected_regular", m_regular);
    }
    bool set() const { return m_set; }
    // Still as set: another run of the suite on this machine may change them.
    bool held(int symlinks, int regular) const
    {
        return readBytes("/proc/sys/fs/protected_symlinks").trimmed() == QByteArray::number(symlinks)
               && readBytes("/proc/sys/fs/protected_regular").trimmed() == QByteArray::number(regular);
    }

private:
    static bool set(const char *name, int value, QByteArray *old)
    {
        const QString path = QStringLiteral("/proc/sys/fs/") + name;
        const QByteArray was = readBytes(path);
        if (was.isNull() || !writeBytes(path, QByteArray::number(value)))
            return false;
        if (old->isEmpty())
            *old = was;
        return readBytes(path).trimmed() == QByteArray::number(value);
    }
    bool m_set = false;
    QByteArray m_symlinks, m_regular;
};

// What the system's own creating open says of `name`: 0, or its errno.
int systemOpen(const char *name)
{
    const int fd = ::open(name, O_WRONLY | O_CREAT | O_NONBLOCK | O_CLOEXEC, 0666);
    if (fd < 0)
        return errno;
    ::close(fd);
    return 0;
}

// Runs `loop` in a child process of user `uid` until stop() kills it.
class Racer
{
public:
    Racer(uid_t uid, gid_t gid, const std::function<void()> &loop)
    {
        m_child = ::fork();
        if (m_child == 0) {
            if (::setgid(gid) != 0 || ::setuid(uid) != 0)
                ::_exit(1);
            for (;;)
                loop();
        }
    }
    ~Racer() { stop(); }
    void stop()
    {
        if (m_child > 0) {
            ::kill(m_child, SIGKILL);
            ::waitpid(m_child, nullptr, 0);
        }
        m_child = -1;
    }
    bool running() const { return m_child > 0; }

private:
    pid_t m_child = -1;
};

} // namespace

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
        // Two copies of the program at once: nothing lost either, and the lock beside the counter is no
        // obstacle to the next copy.
        pid_t copies[2];
        for (pid_t &copy : copies)
            if ((copy = ::fork()) == 0) {
                adder();
                ::_exit(0);
            }
        for (const pid_t copy : copies)
            QVERIFY(copy > 0 && ::waitpid(copy, nullptr, 0) == copy);
        QCOMPARE(readBytes("qrcode_create.cache"), QByteArray("1200"));
        QVERIFY(collectMessages([] { addCacheCounter("qrcode_create", 1); }, false).isEmpty());
        // A copy that hangs holding the lock keeps the window waiting a moment only.
        const pid_t hanging = ::fork();
        if (hanging == 0) {
            const int fd = ::open("qrcode_create.cache.lock", O_WRONLY);
            ::_exit(fd >= 0 && ::flock(fd, LOCK_EX) == 0 && ::sleep(60) == 0 ? 0 : 1);
        }
        QTest::qWait(200);
        QElapsedTimer waited;
        waited.start();
        QCOMPARE(collectMessages([] { addCacheCounter("qrcode_create", 1); }, false),
                 QStringList{"counter qrcode_create raised without its lock"});
        QVERIFY(waited.elapsed() < 10000 && readBytes("qrcode_create.cache") == "1202");
        ::kill(hanging, SIGKILL);
        QVERIFY(::waitpid(hanging, nullptr, 0) == hanging);
        // A user who may only read a lock file root left takes the lock all the same.
        const Unprivileged reader = ::geteuid() != 0 ? Unprivileged::NoUser : runUnprivileged({m_cwd.path(), "qrcode_create.cache"}, [] {
            return ::access("qrcode_create.cache.lock", W_OK) != 0
                   && collectMessages([] { addCacheCounter("qrcode_create", 1); }, false).isEmpty();
        });
        QVERIFY(reader != Unprivileged::Failed && readBytes("qrcode_create.cache") == (reader == Unprivileged::Passed ? "1203" : "1202"));
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
        // Only regular files are written: a device is refused.
        QVERIFY(!writeTextFile("/dev/null", "x", false) && !writeTextFile("/dev/full", "x", false));

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
        // that turned up meanwhile (its mode kept), through a link that now names a file elsewhere, never
        // on a device; one never put in place, or refused, leaves no file behind.
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
        PendingSync later;
        QVERIFY(moved.commit(&later) && readBytes("b/f.txt") == "new" && readBytes("a/f.txt") == "a");
        QCOMPARE(later.fileSystems(), 1);
        QVERIFY(QFileInfo("moved").isSymLink());
        QVERIFY(!FileReplacement("/dev/null", "x").commit() && !FileReplacement("/dev/full", "x").commit());
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
        QVERIFY(later.sync());
        // What was made ahead is what is put in place, not made again (seen where files start named).
        if (!unnamed) {
            FileReplacement early("early.txt", "early");
            const QStringList made = QDir().entryList({".early.txt.*"}, QDir::Files | QDir::Hidden);
            struct stat ahead, placed;
            // A second link keeps the file made ahead from giving its number to a file made again.
            QVERIFY(made.size() == 1 && ::link(QFile::encodeName(made.at(0)).constData(), "witness") == 0);
            QVERIFY(::stat("witness", &ahead) == 0 && early.commit() && ::stat("early.txt", &placed) == 0);
            QCOMPARE(placed.st_ino, ahead.st_ino);
        }
    }

    void linksFollowedAsTheSystemDoes_data() { replacementsMadeAheadAndHeld_data(); }

    void linksFollowedAsTheSystemDoes()
    {
        QFETCH(bool, unnamed);
        FileReplacement::useUnnamedFiles(unnamed);
        // Loops, chains to a missing file and to a file, a relative link under a linked folder, a chain
        // of the system's 40 links and one of 41: written now and made ahead, each name is written
        // exactly where the system's open() leads, or refused where it refuses; afterwards the name reads
        // back what was written, and every link is still a link.
        const auto link = [](const QByteArray &target, const QByteArray &name) {
            return ::symlink(target.constData(), name.constData()) == 0;
        };
        QVERIFY(QDir().mkpath("sub") && QDir().mkpath("real/sub") && QDir().mkpath("view"));
        QVERIFY(link("b", "a") && link("a", "b") && link("loopdir", "loopdir"));
        QVERIFY(link("mid", "top") && link("sub/missing.txt", "mid"));
        QVERIFY(link("second", "first") && link("sub/../real.txt", "second") && writeBytes("real.txt", "old"));
        QVERIFY(link("../real/sub", "view/sub") && link("../other.png", "real/sub/code.png"));
        QVERIFY(writeBytes("view/other.png", "a user's file") && writeBytes("real/other.png", "old code"));
        for (int i = 0; i <= 40; ++i)
            QVERIFY(link(i == 40 ? "end.txt" : "l" + QByteArray::number(i + 1), "l" + QByteArray::number(i)));
        // 42 links in all, 20 of them in each of two folder parts.
        QVERIFY(QDir().mkpath("d") && link("d", "m0") && link("m19/b", "mixed") && link("../m19/c", "d/b"));
        for (int i = 1; i < 20; ++i)
            QVERIFY(link("m" + QByteArray::number(i - 1), "m" + QByteArray::number(i)));
        const QList<std::pair<const char *, bool>> names = {{"top", true}, {"first", true},
                                                            {"view/sub/code.png", true}, {"l1", true},
                                                            {"a", false}, {"loopdir/x", false}, {"l0", false},
                                                            {"mixed", false}};
        PendingSync later;
        for (const auto &[name, writable] : names) {
            for (const bool ahead : {false, true}) {
                const QByteArray bytes = QByteArray(name) + (ahead ? " ahead" : " now");
                FileReplacement made(name, bytes);
                QCOMPARE(ahead ? made.commit(&later) : replaceFileContents(name, bytes), writable);
                const int fd = ::open(name, O_WRONLY | O_CLOEXEC);
                QVERIFY2((fd >= 0) == writable, name);
                if (fd >= 0)
                    ::close(fd);
                QVERIFY2(!writable || readBytes(name) == bytes, name);
            }
        }
        for (const char *name : {"a", "b", "loopdir", "top", "mid", "first", "second", "view/sub",
                                 "real/sub/code.png", "l0", "l1", "l40"})
            QVERIFY2(QFileInfo(name).isSymLink(), name);
        QCOMPARE(readBytes("sub/missing.txt"), QByteArray("top ahead"));
        QCOMPARE(readBytes("real.txt"), QByteArray("first ahead"));
        QCOMPARE(readBytes("real/other.png"), QByteArray("view/sub/code.png ahead"));
        QCOMPARE(readBytes("view/other.png"), QByteArray("a user's file"));
        QCOMPARE(readBytes("end.txt"), QByteArray("l1 ahead"));
        QVERIFY(later.fileSystems() == 1 && later.sync());
        const auto files = [](const char *folder) {
            return QDir(folder).entryList(QDir::Files | QDir::Hidden | QDir::NoSymLinks, QDir::Name);
        };
        QCOMPARE(files(".") + files("sub") + files("real") + files("view") + files("d"),
                 (QStringList{"end.txt", "real.txt", "missing.txt", "other.png", "other.png"}));
    }

    void onlyRegularFilesWritten()
    {
        // A FIFO (with a reader or without), a link to one, a device, a socket or a folder under the name:
        // every kind of write refuses it at once and leaves it as it was; a FIFO is not read as a source.
        // In a child process, so that a write that blocks fails instead of hanging the suite.
        QVERIFY(::mkfifo("fifo", 0644) == 0 && ::mkfifo("read", 0644) == 0 && QFile::link("fifo", "tofifo"));
        QVERIFY(QFile::link("/dev/null", "null") && QDir().mkdir("folder") && writeBytes("source.txt", "bytes"));
        const int socket = ::socket(AF_UNIX, SOCK_STREAM, 0);
        sockaddr_un address = {};
        address.sun_family = AF_UNIX;
        std::strcpy(address.sun_path, "socket");
        QVERIFY(socket >= 0 && ::bind(socket, reinterpret_cast<sockaddr *>(&address), sizeof address) == 0);
        const int reader = ::open("read", O_RDONLY | O_NONBLOCK);
        QVERIFY(reader >= 0);
        const QStringList names = {"fifo", "read", "tofifo", "null", "socket", "folder", "/dev/null"};
        QVERIFY(finishesWithin(20, [&] {
            for (const QString &name : names) {
                HeldWrites held;
                const bool refused = !replaceFileContents(name, "x") && !writeTextFile(name, "x", true)
                                     && !copyFile("source.txt", name) && !FileReplacement(name, "x").commit()
                                     && holdingWrites(&held, [&] { return replaceFileContents(name, "x"); })
                                     && !makeHeldWrites(held);
                if (!refused) {
                    qWarning("written: %s", qPrintable(name));
                    return false;
                }
            }
            return !copyFile("fifo", "copy.txt") && !QFile::exists("copy.txt");
        }));
        char buffer[8];
        QCOMPARE(::read(reader, buffer, sizeof buffer), ssize_t(0));
        ::close(reader);
        ::close(socket);
        const auto kind = [](const char *name) {
            struct stat status;
            return ::lstat(name, &status) == 0 ? status.st_mode & S_IFMT : 0;
        };
        QVERIFY(kind("fifo") == S_IFIFO && kind("read") == S_IFIFO && kind("tofifo") == S_IFLNK);
        QVERIFY(kind("socket") == S_IFSOCK && kind("folder") == S_IFDIR && QDir("folder").isEmpty());
        QCOMPARE(QDir().entryList(QDir::Files | QDir::Hidden | QDir::NoSymLinks), QStringList{"source.txt"});
    }

    void onlyRegularFilesRead()
    {
        // A FIFO no one writes, a link to one, a link to an endless device, a socket, a folder, and files
        // larger than their kind holds (a state file of 2 MB, a picture of 2 GB, both sparse): every
        // reader takes them as files that cannot be opened, at once, and reads nothing of the device. In
        // a child process, so that a read that blocks fails instead of hanging the suite.
        QVERIFY(::mkfifo("fifo", 0644) == 0 && QFile::link("fifo", "tofifo") && QFile::link("/dev/zero", "zero"));
        QVERIFY(::mkfifo("qrcode_jiema.cache", 0644) == 0 && QFile::link("/dev/zero", "qrcode_create.cache"));
        QVERIFY(QDir().mkdir("folder") && writeBytes("big.txt", "7") && QFile("big.txt").resize(2 << 20));
        QVERIFY(writeCode("big.png", "big") && QFile("big.png").resize(qint64(2) << 30));
        const int socket = ::socket(AF_UNIX, SOCK_STREAM, 0);
        sockaddr_un address = {};
        address.sun_family = AF_UNIX;
        std::strcpy(address.sun_path, "socket");
        QVERIFY(socket >= 0 && ::bind(socket, reinterpret_cast<sockaddr *>(&address), sizeof address) == 0);
        QStringList failed;
        const auto check = [&failed](bool refused, const QString &what) {
            if (!refused)
                failed << what;
        };
        long grewKb = -1;
        QVERIFY(finishesWithin(20, [&] {
            for (const QString &name : {"fifo", "tofifo", "zero", "socket", "folder", "big.txt", "/dev/zero"})
                check(readTextFile(name, "default") == "default" && readTextFile(name).isEmpty(), "state file " + name);
            for (const QString &name : {"fifo", "tofifo", "zero", "big.png"}) {
                check(!copyFile(name, "copy.png") && !QFile::exists("copy.png"), "copy of " + name);
                check(PictureReader::read(name, {QByteArray()}, {8000, 64000000}).isNull(), "picture " + name);
                check(readPictureForDecoding(name).isNull() && !GifImage().load(name), "decoded picture " + name);
            }
            // The counters: read as 0; a raise cannot write them and says so, the lock let go meanwhile.
            const QStringList said = collectMessages([] {
                addCacheCounter("qrcode_jiema", 1);
                addCacheCounter("qrcode_create", 1);
            }, false);
            check(readCacheCounter("qrcode_jiema") == 0 && readCacheCounter("qrcode_create") == 0, "counters");
            check(said == QStringList({"counter qrcode_jiema stays at 0: it cannot be written",
                                       "counter qrcode_create stays at 0: it cannot be written"}), said.join("; "));
            if (!failed.isEmpty())
                qWarning("read: %s", qPrintable(failed.join(", ")));
            return failed.isEmpty();
        }, &grewKb));
        ::close(socket);
        QVERIFY2(grewKb < 64 * 1024, qPrintable(QString("the reads took %1 kB").arg(grewKb)));
        // Within its kind's size, and through a link, a file reads whole as before; text mode drops CRs.
        QVERIFY(QFile("big.txt").resize(1 << 20) && readTextFile("big.txt") == "7" && QFile::link("big.txt", "tobig"));
        QVERIFY(writeBytes("crlf.txt", "a\r\nb\rc") && readTextFile("crlf.txt") == "a\nbc" && readTextFile("tobig") == "7");
        QVERIFY(writeBytes("nul.txt", QByteArray("\0ab", 3)) && readTextFile("nul.txt", "default") == "default");
    }

    void systemGuardsInSharedFolders()
    {
        // With the system's guards for shared sticky folders on, as Debian has them: each kind of write
        // refuses exactly what the system's creating open refuses (another user's file, a link of another
        // user's that would lead out), and follows or writes what it allows; with them off, as the system.
        if (::geteuid() != 0)
            QSKIP("the system's guards are set by root");
        const struct passwd *nobody = ::getpwnam("nobody");
        if (!nobody)
            QSKIP("no user nobody");
        const uid_t uid = nobody->pw_uid;
        const gid_t gid = nobody->pw_gid;
        QVERIFY(::chmod(QFile::encodeName(m_cwd.path()).constData(), 0755) == 0);
        QVERIFY(QDir().mkdir("shared") && ::chmod("shared", 01777) == 0 && QDir().mkdir("team")
                && ::chmod("team", 01770) == 0 && QDir().mkdir("private") && writeBytes("source.txt", "source"));
        const auto theirs = [&](const char *name, const char *target = nullptr) {
            const bool made = target ? ::symlink(target, name) == 0 : writeBytes(name, "theirs") && ::chmod(name, 0666) == 0;
            return made && ::lchown(name, uid, gid) == 0;
        };
        QVERIFY(theirs("shared/theirs.txt") && theirs("team/theirs.txt") && writeBytes("shared/mine.txt", "mine"));
        QVERIFY(theirs("shared/toprivate", "../private/made.txt") && theirs("shared/toexisting", "../private/existing.txt"));
        QVERIFY(::symlink("../private/mine.txt", "shared/mylink") == 0 && writeBytes("private/existing.txt", "existing"));
        // A link of theirs inside the name, not at its end: followed, as the system follows it.
        QVERIFY(theirs("shared/todir", "../private"));
        const QStringList names = {"shared/theirs.txt", "team/theirs.txt", "shared/mine.txt", "shared/toprivate",
                                   "shared/toexisting", "shared/mylink", "shared/todir/inside.txt"};
        // Every write of a name: the same verdict from each; the name's file holds "theirs" again after.
        const auto writes = [&](const QString &name) {
            HeldWrites held;
            const QList<bool> made = {replaceFileContents(name, "new"), writeTextFile(name, "more", true),
                                      FileReplacement(name, "ahead").commit(), copyFile("source.txt", name),
                                      holdingWrites(&held, [&] { return replaceFileContents(name, "held"); })
                                          && makeHeldWrites(held)};
            return made.count(true) == made.size() ? 1 : made.count(false) == made.size() ? 0 : -1;
        };
        const QList<std::pair<int, int>> levels = {{1, 1}, {1, 2}, {0, 0}};
        for (const auto &[symlinks, regular] : levels) {
            SystemGuards guards(symlinks, regular);
            QVERIFY(guards.set());
            for (const QString &name : names) {
                const QByteArray encoded = QFile::encodeName(name);
                const int system = systemOpen(encoded.constData());
                QFile::remove("private/made.txt");
                QVERIFY(QFile::exists("private/existing.txt") || writeBytes("private/existing.txt", "existing"));
                const int ours = writes(name);
                QVERIFY2(ours == (system == 0 ? 1 : 0),
                         qPrintable(QString("%1 at %2/%3: ours %4, system's open %5").arg(name).arg(symlinks).arg(regular).arg(ours).arg(system)));
                QVERIFY2(system == 0 || QFileInfo(name).isSymLink() || readBytes(name) == "theirs", qPrintable(name));
                QVERIFY2(system == 0 || QFile::exists("private/made.txt") == false, qPrintable(name));
                if (system == 0 && !QFileInfo(name).isSymLink())
                    QVERIFY(writeBytes(name, "theirs"));
            }
        }
        const auto refused = [&](int symlinks, int regular, const char *name) {
            SystemGuards guards(symlinks, regular);
            return guards.set() && systemOpen(name) == EACCES;
        };
        QVERIFY(refused(1, 1, "shared/theirs.txt") && refused(1, 2, "team/theirs.txt") && !refused(1, 1, "team/theirs.txt"));
        QVERIFY(refused(1, 0, "shared/toprivate") && !refused(0, 0, "shared/toprivate"));

        // Another user removing their link between its reading and the system's look at the name: root
        // never follows it into a folder only root may write, however the two interleave.
        SystemGuards guards(1, 1);
        QVERIFY(guards.set());
        Racer flipper(uid, gid, [] {
            if (::symlink("../private/raced.txt", "shared/flip") == 0)
                ::unlink("shared/flip");
        });
        QVERIFY(flipper.running());
        QElapsedTimer timer;
        timer.start();
        int writesMade = 0;
        for (; writesMade < 20000 && timer.elapsed() < 2000 && !QFile::exists("private/raced.txt"); ++writesMade) {
            if (replaceFileContents("shared/flip", "x") || writeTextFile("shared/flip", "y", true))
                ::unlink("shared/flip"); // made where the link was missing, as the system would: made again
        }
        flipper.stop();
        QVERIFY2(guards.held(1, 1), "the system's guards were changed meanwhile by another process");
        QVERIFY2(!QFile::exists("private/raced.txt"), qPrintable(QString("after %1 writes").arg(writesMade)));
    }

    void checkedFileIsTheFileOpened()
    {
        // A name that flips between a regular file and a link to a device: the file checked is the file
        // written, so the device is never opened (an open of it would show in its events), whichever way
        // each write meets the name.
        QVERIFY(QDir().mkdir("flips"));
        if (::mknod("flips/device", S_IFCHR | 0666, makedev(1, 3)) != 0)
            QSKIP("making a device node needs root");
        const int events = ::inotify_init1(IN_NONBLOCK | IN_CLOEXEC);
        QVERIFY(events >= 0 && ::inotify_add_watch(events, "flips/device", IN_OPEN) >= 0);
        Racer flipper(::geteuid(), ::getegid(), [] {
            if (::symlink("device", "flips/link") == 0)
                ::rename("flips/link", "flips/name");
            const int file = ::open("flips/file", O_WRONLY | O_CREAT | O_CLOEXEC, 0644);
            if (file >= 0) {
                ::close(file);
                ::rename("flips/file", "flips/name");
            }
        });
        int written = 0;
        for (int i = 0; i < 3000; ++i)
            written += int(replaceFileContents("flips/name", "x")) + int(writeTextFile("flips/name", "y", true));
        flipper.stop();
        char buffer[4096];
        const ssize_t opened = ::read(events, buffer, sizeof buffer);
        ::close(events);
        QVERIFY2(opened < 0, "the device was opened");
        // Both kinds of name were met.
        QVERIFY(written > 0 && written < 6000);
    }

    void longNamesReplaced_data() { replacementsMadeAheadAndHeld_data(); }

    void longNamesReplaced()
    {
        QFETCH(bool, unnamed);
        FileReplacement::useUnnamedFiles(unnamed);
        // Every name the file system takes (255 bytes, in Latin letters or in Chinese characters of three
        // bytes each) is made, replaced, and replaced ahead; nothing is left beside it.
        const QStringList names = {QString(251, 'n') + ".png", QString(85, QChar(0x7801)),
                                   QString(84, QChar(0x7801)) + "abc"};
        for (const QString &name : names) {
            QCOMPARE(QFile::encodeName(name).size(), 255);
            QVERIFY(replaceFileContents(name, "first") && replaceFileContents(name, "second"));
            QVERIFY(FileReplacement(name, "third").commit() && readBytes(name) == "third");
        }
        QVERIFY(!replaceFileContents(QString(256, 'n'), "too long"));
        QCOMPARE(QDir().entryList(QDir::Files | QDir::Hidden).size(), names.size());
    }

    void writtenInPlaceWhereRenamingWouldChangeTheFile()
    {
        // As a user: their own 0664 file in a folder of root's, where they may not make files, and
        // another's 0666 file in a sticky shared folder: written into the file itself (the same file, its
        // owner and mode kept), now and ahead; a new file in root's folder is refused as the system refuses.
        QVERIFY(::chmod(QFile::encodeName(m_cwd.path()).constData(), 0777) == 0);
        QVERIFY(QDir().mkdir("rootdir") && ::chmod("rootdir", 0755) == 0 && QDir().mkdir("shared"));
        QVERIFY(::chmod("shared", 01777) == 0 && writeBytes("rootdir/own.txt", "old") && writeBytes("shared/theirs.txt", "old"));
        QVERIFY(::chmod("rootdir/own.txt", 0664) == 0 && ::chmod("shared/theirs.txt", 0666) == 0);
        const auto status = [](const char *name) {
            struct stat info = {};
            ::lstat(name, &info);
            return info;
        };
        const struct stat own = status("rootdir/own.txt"), theirs = status("shared/theirs.txt");
        const Unprivileged run = runUnprivileged({"rootdir/own.txt"}, [] {
            return writeTextFile("rootdir/own.txt", "new, and longer than before", false)
                   && FileReplacement("shared/theirs.txt", "new ahead").commit()
                   && copyFile("rootdir/own.txt", "shared/theirs.txt") && !writeTextFile("rootdir/fresh.txt", "x", false)
                   && writeTextFile("rootdir/own.txt", "short", false);
        });
        if (run == Unprivileged::NoUser)
            QSKIP("no user nobody");
        QVERIFY(run == Unprivileged::Passed);
        QCOMPARE(readBytes("rootdir/own.txt"), QByteArray("short"));
        QCOMPARE(readBytes("shared/theirs.txt"), QByteArray("new, and longer than before"));
        for (const auto &[name, before, mode] : {std::make_tuple("rootdir/own.txt", own, 0664u),
                                                 std::make_tuple("shared/theirs.txt", theirs, 0666u)}) {
            const struct stat after = status(name);
            QVERIFY2(after.st_ino == before.st_ino && (after.st_uid != 0) == (mode == 0664) && (after.st_mode & 07777) == mode,
                     name);
        }
        QCOMPARE(QDir("rootdir").entryList(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot)
                     + QDir("shared").entryList(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot),
                 (QStringList{"own.txt", "theirs.txt"}));

        // Two hard links, an access list, an extended attribute: written into the file, which keeps them all.
        QVERIFY(writeBytes("one.txt", "old") && ::link("one.txt", "two.txt") == 0);
        QVERIFY(replaceFileContents("one.txt", "both") && readBytes("two.txt") == "both" && status("two.txt").st_nlink == 2);
        QVERIFY(writeBytes("acl.txt", "old") && ::chmod("acl.txt", 0640) == 0);
        const auto getfacl = [] {
            QProcess process;
            process.start("getfacl", {"-c", "acl.txt"});
            return process.waitForFinished() && process.exitCode() == 0 ? process.readAllStandardOutput() : QByteArray();
        };
        if (QProcess::execute("setfacl", {"-m", "u:nobody:rw", "acl.txt"}) == 0) {
            const QByteArray acl = getfacl();
            const mode_t mode = status("acl.txt").st_mode;
            QVERIFY(acl.contains("user:nobody:rw-") && FileReplacement("acl.txt", "kept").commit());
            QVERIFY(readBytes("acl.txt") == "kept" && getfacl() == acl && status("acl.txt").st_mode == mode);
        } else {
            qWarning("no access lists here (setfacl from the package acl)");
        }
        const char note[] = "from the camera";
        if (writeBytes("attr.txt", "old") && ::setxattr("attr.txt", "user.note", note, sizeof note, 0) == 0) {
            char kept[64] = {};
            QVERIFY(replaceFileContents("attr.txt", "new") && readBytes("attr.txt") == "new");
            QVERIFY(::getxattr("attr.txt", "user.note", kept, sizeof kept) == sizeof note && QByteArray(kept) == note);
        } else {
            qWarning("no user attributes on this file system");
        }

        // Root replacing another's file keeps its owner and group; a rename is still used (a new file).
        if (::geteuid() != 0)
            QSKIP("only root makes a file of another owner");
        const struct passwd *nobody = ::getpwnam("nobody");
        QVERIFY(nobody && writeBytes("theirs.png", "old") && ::chown("theirs.png", nobody->pw_uid, nobody->pw_gid) == 0);
        QVERIFY(::chmod("theirs.png", 0604) == 0);
        const struct stat before = status("theirs.png");
        QVERIFY(replaceFileContents("theirs.png", "new"));
        const struct stat after = status("theirs.png");
        QVERIFY(after.st_uid == nobody->pw_uid && after.st_gid == nobody->pw_gid && (after.st_mode & 07777) == 0604);
        QVERIFY(after.st_ino != before.st_ino && readBytes("theirs.png") == "new");
        // A file mounted over the name cannot be renamed over: written into.
        QVERIFY(writeBytes("mounted.txt", "old") && writeBytes("source.txt", "source"));
        if (QProcess::execute("mount", {"--bind", "source.txt", "mounted.txt"}) == 0) {
            const bool written = replaceFileContents("mounted.txt", "through the mount");
            QProcess::execute("umount", {"mounted.txt"});
            QVERIFY(written && readBytes("source.txt") == "through the mount" && readBytes("mounted.txt") == "old");
        } else {
            qWarning("no bind mount here");
        }
        // A folder whose entries may only be added: written into, no hidden name left there.
        QVERIFY(QDir().mkdir("appendonly") && writeBytes("appendonly/f.txt", "old"));
        if (QProcess::execute("chattr", {"+a", "appendonly"}) == 0) {
            const bool written = replaceFileContents("appendonly/f.txt", "new") && writeTextFile("appendonly/f.txt", "newer", false);
            QProcess::execute("chattr", {"-a", "appendonly"});
            QVERIFY(written && readBytes("appendonly/f.txt") == "newer");
            QCOMPARE(QDir("appendonly").entryList(QDir::Files | QDir::Hidden), QStringList{"f.txt"});
        } else {
            qWarning("no append-only folders on this file system");
        }
    }

    void fullDiskNeverLosesTheOldContents()
    {
        // In place on a full disk (a file of two links): the room is reserved before a byte is
        // overwritten, so a longer text is refused and the old one stays; a shorter one fits.
        ScratchDisk disk(m_cwd.file("disk"), "256k");
        if (!disk.mounted())
            QSKIP("mounting a small file system needs root");
        const QByteArray old(3000, 'o');
        QVERIFY(writeBytes("disk/one.txt", old) && ::link("disk/one.txt", "disk/two.txt") == 0);
        // One with a hole in its old contents, whose room is reserved too.
        QFile sparse("disk/sparse.txt");
        QVERIFY(writeBytes("disk/sparse.txt", old) && sparse.resize(65536) && ::link("disk/sparse.txt", "disk/hole.txt") == 0);
        const QByteArray holed = old + QByteArray(65536 - old.size(), '\0');
        QVERIFY(disk.fill());
        QVERIFY(!replaceFileContents("disk/one.txt", QByteArray(9000, 'n')) && readBytes("disk/two.txt") == old);
        QVERIFY(!replaceFileContents("disk/sparse.txt", QByteArray(20000, 'n')) && readBytes("disk/hole.txt") == holed);
        // An append adds all of its text or nothing.
        QVERIFY(!writeTextFile("disk/one.txt", QString(200000, 'a'), true) && readBytes("disk/two.txt") == old);
        QVERIFY(!writeTextFile("disk/new.txt", "a new file needs room", false) && !QFile::exists("disk/new.txt"));
        QVERIFY(replaceFileContents("disk/one.txt", "short") && readBytes("disk/two.txt") == "short");
        QCOMPARE(QDir("disk").entryList(QDir::Files | QDir::Hidden),
                 (QStringList{".filler", "hole.txt", "one.txt", "sparse.txt", "two.txt"}));

        // A write cut short all the same (a file size limit here): an append is cut back to where it
        // started, a longer text in place leaves the old one as it was. In a child, which the limit binds.
        QVERIFY(writeBytes("limit.txt", QByteArray(1000, 'o')) && ::link("limit.txt", "limit2.txt") == 0);
        const auto limited = [](const std::function<bool()> &work) {
            return finishesWithin(20, [&] {
                const struct rlimit limit = {4096, 4096};
                ::signal(SIGXFSZ, SIG_IGN);
                return ::setrlimit(RLIMIT_FSIZE, &limit) == 0 && work();
            });
        };
        QVERIFY(limited([] { return !writeTextFile("limit.txt", QString(5000, 'a'), true); }));
        QCOMPARE(readBytes("limit2.txt"), QByteArray(1000, 'o'));
        QVERIFY(limited([] { return !replaceFileContents("limit.txt", QByteArray(5000, 'n')); }));
        QCOMPARE(readBytes("limit2.txt"), QByteArray(1000, 'o'));
        QVERIFY(limited([] { return replaceFileContents("limit.txt", QByteArray(4000, 'n')); }));
        QCOMPARE(readBytes("limit2.txt"), QByteArray(4000, 'n'));

        // A file system that cannot reserve room (ext2): free room of exactly the new text's size is not
        // enough, since the file system needs blocks of its own to map it; nothing is overwritten.
        ScratchDisk ext2(m_cwd.file("ext2"), "4M", ScratchDisk::Ext2);
        if (!ext2.mounted())
            QSKIP("a loop-mounted ext2 needs root and a loop device");
        const QByteArray thousand(1000, 'o');
        QVERIFY(writeBytes("ext2/one.txt", thousand) && ::link("ext2/one.txt", "ext2/two.txt") == 0);
        QVERIFY(ext2.fill());
        QFile filler("ext2/.filler");
        QVERIFY(filler.resize(filler.size() - 300 * 1024));
        struct statfs room;
        QVERIFY(::statfs("ext2", &room) == 0 && room.f_bavail > 200);
        const QByteArray exact(int(room.f_bavail * room.f_bsize), 'n');
        QVERIFY(!replaceFileContents("ext2/one.txt", exact) && readBytes("ext2/two.txt") == thousand);
        QVERIFY(!writeTextFile("ext2/one.txt", QString(int(exact.size()), 'a'), true) && readBytes("ext2/two.txt") == thousand);
        QVERIFY(replaceFileContents("ext2/one.txt", QByteArray(100 * 1024, 'f')) && readBytes("ext2/two.txt") == QByteArray(100 * 1024, 'f'));
    }

    void writtenMeansOnDisk()
    {
        // A crash right after a write returns (the file system stopped without writing out what it held
        // in memory, then mounted again): a single write, a new file and a replacement, is there whole; so
        // are a batch's new files once its pending sync is done, made ahead with only replacements synced.
        ScratchDisk disk(m_cwd.file("disk"), "32M", ScratchDisk::Ext4);
        if (!disk.mounted())
            QSKIP("a loop-mounted file system needs root and a loop device");
        ::sync();
        QVERIFY(writeBytes("disk/old.txt", "an old text"));
        ::sync();
        QVERIFY(replaceFileContents("disk/single.txt", "a single new file") && writeTextFile("disk/old.txt", "replaced", false));
        QVERIFY(FileReplacement("disk/ahead.txt", "made ahead", FileReplacement::Sync::WhenReplacing).commit());
        QVERIFY(disk.crashAndRemount());
        QCOMPARE(readBytes("disk/single.txt"), QByteArray("a single new file"));
        QCOMPARE(readBytes("disk/old.txt"), QByteArray("replaced"));
        QCOMPARE(readBytes("disk/ahead.txt"), QByteArray("made ahead"));
        {
            HeldWrites held;
            QVERIFY(holdingWrites(&held, [] {
                bool made = true;
                for (int i = 0; i < 20; ++i)
                    made = replaceFileContents(QString("disk/batch%1.txt").arg(i), QByteArray(3000, char('a' + i))) && made;
                return made;
            }));
            PendingSync later;
            QVERIFY(makeHeldWrites(held, &later) && later.sync());
        }
        QVERIFY(disk.crashAndRemount());
        for (int i = 0; i < 20; ++i)
            QCOMPARE(readBytes(QString("disk/batch%1.txt").arg(i)), QByteArray(3000, char('a' + i)));

        // Descriptors running short as a held replacement is put in place (1 to 7 left): reported written
        // only where it is on the disk, whether the batch's sync could keep its file system or not.
        for (int left = 1; left <= 7; ++left)
            QVERIFY(writeBytes(QString("disk/few%1.txt").arg(left), "old"));
        ::sync();
        const pid_t child = ::fork();
        if (child == 0) {
            // All made ahead first, and put in place from the most descriptors left to the fewest: a sync of
            // any of them would carry the others' renames to the disk too.
            int placed = 0;
            std::vector<FileReplacement> made;
            for (int left = 1; left <= 7; ++left)
                made.emplace_back(QString("disk/few%1.txt").arg(left), "new", FileReplacement::Sync::WhenReplacing);
            for (int left = 7; left >= 1; --left) {
                FileReplacement &ahead = made[size_t(left - 1)];
                PendingSync later;
                const struct rlimit limit = {256, 256};
                std::vector<int> taken;
                for (int fd = 0; ::setrlimit(RLIMIT_NOFILE, &limit) == 0 && (fd = ::dup(0)) >= 0;)
                    taken.push_back(fd);
                for (int i = 0; i < left && !taken.empty(); ++i, taken.pop_back())
                    ::close(taken.back());
                if (ahead.commit(&later) && later.sync())
                    placed |= 1 << left;
                for (const int fd : taken)
                    ::close(fd);
            }
            ::_exit(placed >> 1);
        }
        int status = 0;
        QVERIFY(child > 0 && ::waitpid(child, &status, 0) == child && WIFEXITED(status));
        const int placed = WEXITSTATUS(status) << 1;
        QVERIFY(placed != 0);
        QVERIFY(disk.crashAndRemount());
        for (int left = 1; left <= 7; ++left)
            if (placed & (1 << left))
                QVERIFY2(readBytes(QString("disk/few%1.txt").arg(left)) == "new", qPrintable(QString("%1 left").arg(left)));
    }

    void writtenMeansOnDiskWithoutAJournal_data()
    {
        QTest::addColumn<int>("kind");
        QTest::newRow("ext2") << int(ScratchDisk::Ext2);
        QTest::newRow("ext4 without a journal") << int(ScratchDisk::Ext4WithoutJournal);
    }

    void writtenMeansOnDiskWithoutAJournal()
    {
        // Without a journal nothing orders what reaches the disk: a crash right after a single write
        // returns leaves the new file, the replaced one and another user's file replaced for them whole,
        // readable, with their owner and mode, whether made unnamed or under a hidden name first.
        QFETCH(int, kind);
        ScratchDisk disk(m_cwd.file("disk"), "16M", ScratchDisk::Kind(kind));
        if (!disk.mounted())
            QSKIP("a loop-mounted file system needs root and a loop device");
        const struct passwd *nobody = ::getpwnam("nobody");
        QVERIFY(nobody);
        const QStringList ways = {"unnamed", "hidden"};
        // One of two hard links, which is written in place.
        QVERIFY(writeBytes("disk/linked", "an old text") && ::link("disk/linked", "disk/link") == 0);
        for (const QString &way : ways) {
            QVERIFY(writeBytes("disk/old-" + way, "an old text") && writeBytes("disk/theirs-" + way, "their old text"));
            QVERIFY(::chown(qPrintable("disk/theirs-" + way), nobody->pw_uid, nobody->pw_gid) == 0);
            QVERIFY(::chmod(qPrintable("disk/theirs-" + way), 0644) == 0);
            // A folder of a few dozen files, as a user's.
            for (int i = 0; i < 40; ++i)
                QVERIFY(writeBytes(QString("disk/other-%1-%2").arg(way).arg(i), "other"));
        }
        ::sync();
        for (const QString &way : ways) {
            FileReplacement::useUnnamedFiles(way == "unnamed");
            QVERIFY(replaceFileContents("disk/new-" + way, "a new file") && writeTextFile("disk/old-" + way, "replaced", false));
            QVERIFY(replaceFileContents("disk/theirs-" + way, "their new text"));
        }
        FileReplacement::useUnnamedFiles(true);
        QVERIFY(replaceFileContents("disk/linked", "written in place"));
        QVERIFY(disk.crashAndRemount());
        QStringList lost;
        if (readBytes("disk/link") != "written in place")
            lost << "link: " + readBytes("disk/link");
        for (const QString &way : ways) {
            const QList<QPair<QString, QByteArray>> written = {
                {"new-" + way, "a new file"}, {"old-" + way, "replaced"}, {"theirs-" + way, "their new text"}};
            for (const auto &[name, text] : written) {
                const QByteArray there = readBytes("disk/" + name);
                if (there != text)
                    lost << name + ": " + (there.isNull() ? QString(std::strerror(errno)) : QString(there));
            }
            struct stat status = {};
            if (::stat(qPrintable("disk/theirs-" + way), &status) != 0 || status.st_uid != nobody->pw_uid
                || (status.st_mode & 07777) != 0644)
                lost << QString("theirs-%1: owner %2, mode %3").arg(way).arg(status.st_uid).arg(status.st_mode & 07777, 0, 8);
        }
        QVERIFY2(lost.isEmpty(), qPrintable(lost.join("; ")));
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
            // Drawn whole in the "plus" looks: the timing lines and every module of format information.
            for (int i = 0; i <= 8; ++i)
                QVERIFY(g.inPlusZone(i, 8) && g.inPlusZone(8, i) && (i == 8 || (g.inPlusZone(w - 1 - i, 8) && g.inPlusZone(8, w - 1 - i))));
            QVERIFY(g.inPlusZone(w / 2, 6) && g.inPlusZone(6, w / 2) && !g.inPlusZone(9, 9) && !g.inPlusZone(w - 9, w - 9));
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
