#include "helpers.h"

#include "fileread.h"

#include <QAbstractButton>
#include <QApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QImageReader>
#include <QMessageBox>
#include <QMutex>
#include <QMutexLocker>
#include <QRandomGenerator>
#include <QThread>
#include <climits>
#include <csignal>
#include <ctime>
#include <pthread.h>
#include <cerrno>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

const char kProductSite[] = "https://www.vopa.example/";
const char kProgramVersion[] = "19";

namespace {

QMutex &sinkMutex()
{
    static QMutex mutex;
    return mutex;
}

MessageSink &messageSink()
{
    static MessageSink sink;
    return sink;
}

QMutex &counterMutex()
{
    static QMutex mutex;
    return mutex;
}

bool onGuiThread()
{
    QCoreApplication *app = QCoreApplication::instance();
    return app && qobject_cast<QApplication *>(app) && QThread::currentThread() == app->thread();
}

QString counterPath(const QString &name)
{
    const QString folder = cacheDir();
    return folder.isEmpty() ? QString() : folder + QLatin1Char('/') + name + QStringLiteral(".cache");
}

} // namespace

void setMessageSink(MessageSink sink)
{
    QMutexLocker lock(&sinkMutex());
    messageSink() = std::move(sink);
}

QString cacheDir()
{
    // A working folder that has been deleted gives an empty path, which
    // must not turn every state file into one at the root of the disk.
    const QString path = QDir::currentPath();
    if (!path.isEmpty() && (QDir(path).exists() || QDir().mkpath(path)))
        return path;
    showMessage(QStringLiteral("缓存目录创建失败，不能生成二维码，请手动创建：") + path);
    return path;
}

QString readTextFile(const QString &path)
{
    if (path.isEmpty())
        return QString();
    QByteArray bytes;
    if (!readWholeFile(path, ReadLimit::StateFile, &bytes))
        return QString();
    const int nul = bytes.indexOf('\0');
    if (nul >= 0)
        bytes.truncate(nul);
    // Text mode, as the toolkit reads it: every CR goes.
    return QString::fromUtf8(bytes.replace('\r', QByteArray()));
}

QString readTextFile(const QString &path, const QString &defaultText)
{
    const QString text = readTextFile(path);
    return text.isEmpty() ? defaultText : text;
}

bool writeTextFile(const QString &path, const QString &text, bool append)
{
    if (path.isEmpty())
        return false;
    return append ? appendToFile(path, text.toUtf8()) : replaceFileContents(path, text.toUtf8());
}

int readCacheCounter(const QString &name)
{
    bool ok = false;
    const int value = readTextFile(counterPath(name), QStringLiteral("0")).toInt(&ok, 10);
    return ok ? value : 0;
}

namespace {

// The signal that ends a wait for a lock: its handler does nothing, and
// without SA_RESTART the wait returns EINTR.
int wakeSignal()
{
    static const int signal = [] {
        struct sigaction action = {};
        action.sa_handler = [](int) {};
        sigemptyset(&action.sa_mask);
        return ::sigaction(SIGRTMIN, &action, nullptr) == 0 ? SIGRTMIN : -1;
    }();
    return signal;
}

// flock(LOCK_EX) waited for `ms` milliseconds at most. Waiting in the
// system, a waiter is woken as the lock is let go, where one that looks
// again now and then may never find it free while another takes it back
// to back. A timer of this thread's own ends the wait. It goes on firing
// after the deadline: an expiry that lands while the thread is between two
// flock calls (another signal ended the first) would otherwise be spent,
// and the next call would wait as long as the holder keeps the lock.
bool lockWithin(int fd, int ms)
{
    if (::flock(fd, LOCK_EX | LOCK_NB) == 0)
        return true;
    if (errno != EWOULDBLOCK)
        return false;
    const int signal = wakeSignal();
    struct sigevent event = {};
    event.sigev_notify = SIGEV_THREAD_ID;
    event.sigev_signo = signal;
    event._sigev_un._tid = ::gettid();
    timer_t timer;
    struct timespec deadline = {};
    if (signal < 0 || ::clock_gettime(CLOCK_MONOTONIC, &deadline) != 0
        || ::timer_create(CLOCK_MONOTONIC, &event, &timer) != 0)
        return false;
    deadline.tv_sec += ms / 1000;
    deadline.tv_nsec += (ms % 1000) * 1000000L;
    if (deadline.tv_nsec >= 1000000000L) {
        ++deadline.tv_sec;
        deadline.tv_nsec -= 1000000000L;
    }
    const auto passed = [&deadline] {
        struct timespec now = {};
        return ::clock_gettime(CLOCK_MONOTONIC, &now) != 0 || now.tv_sec > deadline.tv_sec
               || (now.tv_sec == deadline.tv_sec && now.tv_nsec >= deadline.tv_nsec);
    };
    sigset_t wake, old;
    sigemptyset(&wake);
    sigaddset(&wake, signal);
    ::pthread_sigmask(SIG_UNBLOCK, &wake, &old);
    // First at the deadline, then every 10 ms until the wait has ended.
    const struct itimerspec when = {{0, 10 * 1000000L}, deadline};
    bool locked = false;
    if (::timer_settime(timer, TIMER_ABSTIME, &when, nullptr) == 0) {
        while (!(locked = ::flock(fd, LOCK_EX) == 0) && errno == EINTR && !passed()) {
        }
    }
    ::timer_delete(timer);
    ::pthread_sigmask(SIG_SETMASK, &old, nullptr);
    return locked;
}

// Held by one copy of the program at a time: a lock on a file beside the
// counter (flock), which every copy takes, let go when its descriptor is
// closed, also by a copy that dies holding it; the file itself stays, and
// is only ever locked, never read. A lock not had within a second is done
// without, rather than keep the window waiting on a copy that hangs.
class CounterLock
{
public:
    CounterLock(const QString &path, const QString &name)
    {
        if (path.isEmpty())
            return;
        m_fd = openForLocking(path + QStringLiteral(".lock"));
        const bool locked = m_fd >= 0 && lockWithin(m_fd, 1000);
        if (!locked)
            qWarning("counter %s raised without its lock", qUtf8Printable(name));
    }
    ~CounterLock()
    {
        if (m_fd >= 0)
            ::close(m_fd);
    }
    CounterLock(const CounterLock &) = delete;
    CounterLock &operator=(const CounterLock &) = delete;

private:
    int m_fd = -1;
};

} // namespace

void addCacheCounter(const QString &name, const int &amount)
{
    // The decode page and a batch worker may add to one counter at once, and
    // so may another copy of the program. Its lock first: a thread waiting
    // for it keeps no other thread of this copy waiting too.
    const QString path = counterPath(name);
    const CounterLock copies(path, name);
    QMutexLocker lock(&counterMutex());
    bool ok = false;
    int value = readTextFile(path, QStringLiteral("0")).toInt(&ok, 10);
    if (!ok)
        value = 0;
    const qint64 sum = qBound<qint64>(INT_MIN, qint64(value) + amount, INT_MAX);
    if (!writeTextFile(path, QString::number(int(sum), 10), false))
        qWarning("counter %s stays at %d: it cannot be written", qUtf8Printable(name), value);
}

void showMessage(const QString &message)
{
    showMessageBox(message, QStringLiteral("确 定"));
}

void showMessageBox(const QString &message, const QString &buttonText)
{
    if (!onGuiThread()) {
        // A widget off the GUI thread would crash; the text goes to the log.
        qWarning("%s", qUtf8Printable(message));
        return;
    }
    {
        QMutexLocker lock(&sinkMutex());
        if (messageSink()) {
            MessageSink sink = messageSink();
            lock.unlock();
            sink(message, buttonText);
            return;
        }
    }
    QMessageBox box(QMessageBox::Warning, QStringLiteral("提示信息"), message, QMessageBox::NoButton,
                    nullptr, Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint);
    // A box shown while the main window is hidden must not end the program.
    box.setAttribute(Qt::WA_QuitOnClose, false);
    box.setStandardButtons(QMessageBox::Ok);
    box.button(QMessageBox::Ok)->setText(buttonText);
    box.exec();
}

QString fileSuffix(const QString &path)
{
    const int dot = path.lastIndexOf(QLatin1Char('.'), -1, Qt::CaseSensitive);
    return path.right(path.length() - dot - 1);
}

bool copyFile(const QString &source, const QString &target)
{
    if (source.isEmpty() || target.isEmpty())
        return false;
    if (!QFile::exists(source))
        return false;
    if (source == target)
        return true;
    const QString canonicalSource = QFileInfo(source).canonicalFilePath();
    const QString canonicalTarget = QFileInfo(target).canonicalFilePath();
    if (!canonicalTarget.isEmpty() && canonicalSource == canonicalTarget)
        return true;

    // What the program copies are pictures and codes.
    QByteArray bytes;
    return readWholeFile(source, ReadLimit::Picture, &bytes) && replaceFileContents(target, bytes);
}

QSize declaredImageSize(QImageReader &reader)
{
    const QSize size = reader.size();
    if (reader.format() != "gif" || !reader.device())
        return size;
    // "GIF87a" or "GIF89a", then the screen's width and height, little-endian.
    QIODevice *device = reader.device();
    const qint64 at = device->pos();
    if (device->isSequential() || !device->seek(0))
        return size;
    const QByteArray head = device->read(10);
    device->seek(at);
    if (head.size() < 10)
        return size;
    const auto byte = [&head](int i) { return int(uchar(head.at(i))); };
    const QSize screen(byte(6) | byte(7) << 8, byte(8) | byte(9) << 8);
    return size.expandedTo(screen);
}

QString randomString(const int &length)
{
    static const char alphabet[] = "0123456789ABCDEFGHIJKLMNOPQRSTUVWZYZ";
    QString text;
    if (length <= 0)
        return text;
    text.reserve(length);
    QRandomGenerator *generator = QRandomGenerator::global();
    for (int i = 0; i < length; ++i)
        text.append(QLatin1Char(alphabet[generator->bounded(36)]));
    return text;
}

QList<int> alignmentPatternCenters(const int &width)
{
    // Alignment-pattern row/column coordinates for versions 2 to 40, smallest first.
    static const int table[39][7] = {
        {6, 18}, {6, 22}, {6, 26}, {6, 30}, {6, 34},
        {6, 22, 38}, {6, 24, 42}, {6, 26, 46}, {6, 28, 50}, {6, 30, 54},
        {6, 32, 58}, {6, 34, 62}, {6, 26, 46, 66}, {6, 26, 48, 70}, {6, 26, 50, 74},
        {6, 30, 54, 78}, {6, 30, 56, 82}, {6, 30, 58, 86}, {6, 34, 62, 90}, {6, 28, 50, 72, 94},
        {6, 26, 50, 74, 98}, {6, 30, 54, 78, 102}, {6, 28, 54, 80, 106}, {6, 32, 58, 84, 110},
        {6, 30, 58, 86, 114}, {6, 34, 62, 90, 118}, {6, 26, 50, 74, 98, 122},
        {6, 30, 54, 78, 102, 126}, {6, 26, 52, 78, 104, 130}, {6, 30, 56, 82, 108, 134},
        {6, 34, 60, 86, 112, 138}, {6, 30, 58, 86, 114, 142}, {6, 34, 62, 90, 118, 146},
        {6, 30, 54, 78, 102, 126, 150}, {6, 24, 50, 76, 102, 128, 154},
        {6, 28, 54, 80, 106, 132, 158}, {6, 32, 58, 84, 110, 136, 162},
        {6, 26, 54, 82, 110, 138, 166}, {6, 30, 58, 86, 114, 142, 170},
    };
    QList<int> list;
    const int version = qrVersionFromWidth(width);
    if (version < 2 || version > 40)
        return list;
    const int *row = table[version - 2];
    if (version < 7) {
        list.append(row[1]);
        return list;
    }
    for (int i = 6; i >= 0; --i) {
        if (row[i] != 0)
            list.append(row[i]);
    }
    return list;
}

int qrVersionFromWidth(const int &width)
{
    return (width - 21) / 4 + 1;
}
