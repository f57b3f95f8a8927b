#include "batchworker.h"

#include "filewrite.h"

#include <QThread>

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
    // A run of whole lines in one write, all or none: lines a full disk did
    // not take are lost, and so is every later one, so that no line ever
    // follows a part of one.
    if (!m_lost && !m_lines.isEmpty() && !appendWhole(m_fd, m_lines))
        m_lost = true;
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
