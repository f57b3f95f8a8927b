#include "batchworker.h"

#include "filewrite.h"

#include <QThread>

#include <cerrno>
#include <unistd.h>

const char BatchWorker::WriteFailed[] = "保存文件写入失败，请检查文件夹权限";
const char BatchWorker::ErrorLogFailed[] = "错误日志写入失败，请检查保存文件夹权限";

BatchWorker::BatchWorker(QObject *parent) : QObject(parent), m_lookAhead(qBound(1, QThread::idealThreadCount(), 8))
{
}

BatchFile::~BatchFile()
{
    if (m_fd >= 0) {
        handOver();
        ::close(m_fd);
    }
}

bool BatchFile::open(const QString &path)
{
    // Through the one write path's appending open: a name that is not a
    // regular file (a FIFO would block the batch) is refused.
    m_fd = openForAppend(path);
    return m_fd >= 0;
}

void BatchFile::writeLine(const QString &line)
{
    m_lines += line.toUtf8();
    m_lines += '\n';
    // Enough lines for one write to be cheap; always a whole number of them.
    if (m_lines.size() >= 64 * 1024)
        handOver();
}

void BatchFile::handOver()
{
    // One write of whole lines; the file is opened for appending, so the
    // system puts all of it at the end at once. Only a full disk or a
    // signal writes less, and the rest follows at once.
    for (qint64 done = 0; done < m_lines.size() && m_fd >= 0;) {
        const ssize_t n = ::write(m_fd, m_lines.constData() + done, size_t(m_lines.size() - done));
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0) {
            m_lost = true;
            break;
        }
        done += n;
    }
    m_lines.clear();
}

bool BatchFile::close()
{
    if (m_fd < 0)
        return false;
    handOver();
    // On the disk before the batch reports it written.
    const bool written = !m_lost && ::fdatasync(m_fd) == 0;
    const bool closed = ::close(m_fd) == 0;
    m_fd = -1;
    return written && closed;
}

QString BatchWorker::secondsText(qint64 milliseconds)
{
    return QString::number(milliseconds / 1000.0, 'g', 6);
}
