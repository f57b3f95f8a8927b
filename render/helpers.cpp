#include "helpers.h"

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
#include <cerrno>
#include <climits>
#include <cstdio>
#include <fcntl.h>
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
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly | QIODevice::Text))
        return QString();
    QByteArray bytes = file.readAll();
    file.close();
    const int nul = bytes.indexOf('\0');
    if (nul >= 0)
        bytes.truncate(nul);
    return QString::fromUtf8(bytes);
}

QString readTextFile(const QString &path, const QString &defaultText)
{
    const QString text = readTextFile(path);
    return text.isEmpty() ? defaultText : text;
}

namespace {

mode_t currentUmask()
{
    // Read by setting it and putting it back: there is no other way to ask.
    static QMutex mutex;
    QMutexLocker lock(&mutex);
    const mode_t mask = ::umask(022);
    ::umask(mask);
    return mask;
}

// The folder's entry for a renamed file reaches the disk too.
void syncFolder(const QString &folder)
{
    const int fd = ::open(QFile::encodeName(folder).constData(), O_RDONLY | O_DIRECTORY);
    if (fd >= 0) {
        ::fsync(fd);
        ::close(fd);
    }
}

// Where this thread's writes are held, when they are.
thread_local HeldWrites *t_heldWrites = nullptr;

// The file a path names: through a link, the file it links to, so that the
// link stays a link.
QFileInfo resolved(const QString &path)
{
    const QFileInfo info(path);
    return info.isSymLink() ? QFileInfo(info.symLinkTarget()) : info;
}

// A device or pipe is written in place; renaming over it would replace it.
bool writeInPlace(const QFileInfo &info, const QByteArray &bytes)
{
    QFile device(info.filePath());
    if (!device.open(QIODevice::WriteOnly | QIODevice::Unbuffered))
        return false;
    const bool written = device.write(bytes) == bytes.size();
    device.close();
    return written && device.error() == QFileDevice::NoError;
}

} // namespace

namespace {

bool writeAll(int fd, const QByteArray &bytes)
{
    for (qint64 done = 0; done < bytes.size();) {
        const ssize_t n = ::write(fd, bytes.constData() + done, size_t(bytes.size() - done));
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            return false;
        done += n;
    }
    return true;
}

thread_local bool t_unnamedFiles = true;

// Files made unnamed can be given a name through /proc.
bool unnamedFilesNameable()
{
    static const bool nameable = ::access("/proc/self/fd", X_OK) == 0;
    return nameable && t_unnamedFiles;
}

QByteArray descriptorPath(int fd)
{
    return "/proc/self/fd/" + QByteArray::number(fd);
}

// A name of this program's beside `fileName` in `folder`, made for the file
// open as `fd` (unnamed), or created empty and opened as *fd; empty when
// neither works.
QString hiddenNameBeside(const QString &folder, const QString &fileName, int *fd, bool link)
{
    const QString prefix = folder + QLatin1String("/.") + fileName + QLatin1Char('.');
    for (int attempt = 0; attempt < 16; ++attempt) {
        const QString name = prefix + randomString(6);
        const QByteArray encoded = QFile::encodeName(name);
        const int result =
            link ? ::linkat(AT_FDCWD, descriptorPath(*fd).constData(), AT_FDCWD, encoded.constData(), AT_SYMLINK_FOLLOW)
                 : (*fd = ::open(encoded.constData(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0600));
        if (result >= 0)
            return name;
        if (errno != EEXIST)
            return QString();
    }
    return QString();
}

} // namespace

FileReplacement::FileReplacement(const QString &path, const QByteArray &bytes, Sync sync)
    : m_path(path), m_bytes(bytes), m_sync(sync)
{
    const QFileInfo info = resolved(path);
    if (path.isEmpty() || (info.exists() && !info.isFile()))
        return;
    m_folder = info.absolutePath();
    // On the disk before it takes the place of a file, so that a power cut
    // leaves the old file or the new one, never an empty one. A file that
    // replaces nothing puts nothing at risk, and a batch leaves it to the
    // system to write out (commit() syncs it all the same if its target
    // turns up meanwhile).
    m_synced = sync == Sync::Each || info.exists();
    // Unnamed until it is put in place: the file system allocates it without
    // locking the folder, so that many are made at once, and one never put
    // in place goes with its descriptor, even when the program is killed.
    int fd = -1;
#ifdef O_TMPFILE
    if (unnamedFilesNameable())
        fd = ::open(QFile::encodeName(m_folder).constData(), O_TMPFILE | O_WRONLY | O_CLOEXEC, 0600);
#endif
    const bool unnamed = fd >= 0;
    const QString name = unnamed ? QString() : hiddenNameBeside(m_folder, info.fileName(), &fd, false);
    if (fd < 0)
        return;
    const bool written = writeAll(fd, bytes) && (!m_synced || ::fsync(fd) == 0);
    if (unnamed && written) {
        m_fd = fd;
        return;
    }
    const bool closed = ::close(fd) == 0;
    if (unnamed)
        return;
    if (!written || !closed) {
        ::unlink(QFile::encodeName(name).constData());
        return;
    }
    m_temp = name;
}

void FileReplacement::useUnnamedFiles(bool use)
{
    t_unnamedFiles = use;
}

FileReplacement::FileReplacement(FileReplacement &&other) noexcept
    : m_path(std::move(other.m_path)), m_bytes(std::move(other.m_bytes)), m_sync(other.m_sync),
      m_folder(std::move(other.m_folder)), m_temp(std::move(other.m_temp)), m_fd(other.m_fd),
      m_synced(other.m_synced)
{
    other.m_temp.clear();
    other.m_fd = -1;
}

FileReplacement &FileReplacement::operator=(FileReplacement &&other) noexcept
{
    if (this != &other) {
        discard();
        m_path = std::move(other.m_path);
        m_bytes = std::move(other.m_bytes);
        m_sync = other.m_sync;
        m_folder = std::move(other.m_folder);
        m_temp = std::move(other.m_temp);
        m_fd = other.m_fd;
        m_synced = other.m_synced;
        other.m_temp.clear();
        other.m_fd = -1;
    }
    return *this;
}

FileReplacement::~FileReplacement()
{
    discard();
}

void FileReplacement::discard()
{
    if (m_fd >= 0)
        ::close(m_fd);
    m_fd = -1;
    if (!m_temp.isEmpty())
        QFile::remove(m_temp);
    m_temp.clear();
}

bool FileReplacement::commit(QSet<QString> *foldersToSync)
{
    if (m_path.isEmpty())
        return false;
    const QFileInfo info = resolved(m_path);
    if (info.exists() && !info.isFile()) {
        discard();
        return writeInPlace(info, m_bytes);
    }
    // What was written ahead serves only where the file still lives there;
    // otherwise it is written beside the file now.
    if ((m_fd < 0 && m_temp.isEmpty()) || info.absolutePath() != m_folder) {
        discard();
        FileReplacement now(m_path, m_bytes, m_sync);
        if ((now.m_fd < 0 && now.m_temp.isEmpty()) || now.m_folder != info.absolutePath())
            return false;
        *this = std::move(now);
    }
    // The new file takes the target's place only when every byte is
    // written: a failure at any step leaves the old file as it was.
    const QByteArray target = QFile::encodeName(info.absoluteFilePath());
    // A file the user may not write is not replaced behind its back; the
    // replacement keeps an existing file's permissions, and a new file gets
    // what the user's umask leaves of 0666, as any file they create would.
    struct stat old;
    const bool exists = ::stat(target.constData(), &old) == 0;
    if (exists && ::access(target.constData(), W_OK) != 0)
        return false;
    const mode_t mode = exists ? (old.st_mode & 07777) : (0666 & ~currentUmask());
    if (m_fd >= 0) {
        if (::fchmod(m_fd, mode) != 0)
            return false;
        // A new file is named in place at once; a name that exists by now
        // (made meanwhile) is replaced as any other.
        if (!exists
            && ::linkat(AT_FDCWD, descriptorPath(m_fd).constData(), AT_FDCWD, target.constData(), AT_SYMLINK_FOLLOW)
                   == 0) {
            discard();
            placedIn(info.absolutePath(), foldersToSync);
            return true;
        }
        if (!exists && errno != EEXIST)
            return false;
        if (!exists)
            return commit(foldersToSync);
        if (!m_synced && ::fsync(m_fd) != 0)
            return false;
        m_synced = true;
        m_temp = hiddenNameBeside(m_folder, info.fileName(), &m_fd, true);
        if (m_temp.isEmpty())
            return false;
        ::close(m_fd);
        m_fd = -1;
    }
    const QByteArray temp = QFile::encodeName(m_temp);
    if (exists && !m_synced) {
        const int fd = ::open(temp.constData(), O_RDONLY | O_CLOEXEC);
        const bool synced = fd >= 0 && ::fsync(fd) == 0;
        if (fd >= 0)
            ::close(fd);
        if (!synced)
            return false;
        m_synced = true;
    }
    if (::chmod(temp.constData(), mode) != 0 || ::rename(temp.constData(), target.constData()) != 0)
        return false;
    m_temp.clear();
    placedIn(info.absolutePath(), foldersToSync);
    return true;
}

void FileReplacement::placedIn(const QString &folder, QSet<QString> *foldersToSync)
{
    if (foldersToSync)
        foldersToSync->insert(folder);
    else
        syncFolder(folder);
}

void syncFolders(const QSet<QString> &folders)
{
    for (const QString &folder : folders)
        syncFolder(folder);
}

bool holdingWrites(HeldWrites *writes, const std::function<bool()> &work)
{
    HeldWrites *const outer = t_heldWrites;
    t_heldWrites = writes;
    const bool result = work();
    t_heldWrites = outer;
    return result;
}

bool makeHeldWrites(HeldWrites &writes, QSet<QString> *foldersToSync)
{
    for (FileReplacement &write : writes)
        if (!write.commit(foldersToSync))
            return false;
    return true;
}

bool replaceFileContents(const QString &path, const QByteArray &bytes)
{
    if (path.isEmpty())
        return false;
    if (t_heldWrites) {
        t_heldWrites->emplace_back(path, bytes, FileReplacement::Sync::WhenReplacing);
        return true;
    }
    return FileReplacement(path, bytes).commit();
}

bool writeTextFile(const QString &path, const QString &text, bool append)
{
    if (path.isEmpty())
        return false;
    if (!append)
        return replaceFileContents(path, text.toUtf8());
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Text | QIODevice::Append))
        return false;
    const QByteArray bytes = text.toUtf8();
    bool ok = file.write(bytes) == bytes.size() && file.flush();
    file.close();
    return ok && file.error() == QFileDevice::NoError;
}

int readCacheCounter(const QString &name)
{
    bool ok = false;
    const int value = readTextFile(counterPath(name), QStringLiteral("0")).toInt(&ok, 10);
    return ok ? value : 0;
}

void addCacheCounter(const QString &name, const int &amount)
{
    // The decode page and a batch worker may add to one counter at once.
    QMutexLocker lock(&counterMutex());
    const QString path = counterPath(name);
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

    QFile in(source);
    if (!in.open(QIODevice::ReadOnly))
        return false;
    const QByteArray bytes = in.readAll();
    if (in.error() != QFileDevice::NoError)
        return false;
    return replaceFileContents(target, bytes);
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
