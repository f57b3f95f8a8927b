#include "fileread.h"

#include "descriptor.h"

#include <QFile>
#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>

int openForReading(const QString &path, qint64 limit)
{
    if (path.isEmpty()) {
        errno = ENOENT;
        return -1;
    }
    const QByteArray name = QFile::encodeName(path);
    // As a path only: a FIFO's open would wait for a writer, and a device's
    // open may start it.
    const Fd seen(::open(name.constData(), O_PATH | O_CLOEXEC));
    struct stat status;
    if (!seen || ::fstat(seen.get(), &status) != 0)
        return -1;
    if (!S_ISREG(status.st_mode)) {
        errno = S_ISDIR(status.st_mode) ? EISDIR : EINVAL;
        return -1;
    }
    if (status.st_size > limit) {
        errno = EFBIG;
        return -1;
    }
    // The file looked at, never its name again; without /proc, its name,
    // without blocking, and it must still be that file (a device swapped in
    // meanwhile is opened, then refused).
    constexpr int flags = O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC;
    Fd file(::open(reopenable() ? descriptorPath(seen.get()).constData() : name.constData(), flags));
    struct stat opened;
    if (!file || ::fstat(file.get(), &opened) != 0)
        return -1;
    if (opened.st_dev != status.st_dev || opened.st_ino != status.st_ino) {
        errno = EAGAIN;
        return -1;
    }
    return file.release();
}

namespace {

// Built into the program, read as the toolkit reads its resources.
bool isResource(const QString &path)
{
    return path.startsWith(QLatin1String(":/"));
}

} // namespace

bool readWholeFile(const QString &path, qint64 limit, QByteArray *bytes)
{
    bytes->clear();
    if (isResource(path)) {
        QFile resource(path);
        if (!resource.open(QIODevice::ReadOnly) || resource.size() > limit)
            return false;
        *bytes = resource.readAll();
        return true;
    }
    const Fd file(openForReading(path, limit));
    struct stat status;
    if (!file || ::fstat(file.get(), &status) != 0)
        return false;
    QByteArray read(int(qMin<qint64>(status.st_size, limit)) + 1, Qt::Uninitialized);
    qint64 done = 0;
    for (;;) {
        if (done == read.size()) {
            // Grown since it was looked at: read on, up to one byte past the limit.
            if (done > limit) {
                errno = EFBIG;
                return false;
            }
            read.resize(int(qMin<qint64>(qMax<qint64>(done * 2, 4096), limit + 1)));
        }
        const ssize_t n = ::read(file.get(), read.data() + done, size_t(read.size() - done));
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0)
            return false;
        if (n == 0)
            break;
        done += n;
    }
    read.truncate(int(done));
    *bytes = read;
    return true;
}

bool openForReading(QFile *file, const QString &path, qint64 limit)
{
    if (isResource(path)) {
        file->setFileName(path);
        if (file->open(QIODevice::ReadOnly) && file->size() <= limit)
            return true;
        file->close();
        return false;
    }
    const int fd = openForReading(path, limit);
    if (fd < 0)
        return false;
    if (file->open(fd, QIODevice::ReadOnly, QFileDevice::AutoCloseHandle))
        return true;
    ::close(fd);
    return false;
}
