#include "batchworker.h"

#include "filewrite.h"

#include <QThread>

#include <unistd.h>

const char BatchWorker::WriteFailed[] = "保存文件写入失败，请检查文件夹权限";
const char BatchWorker::ErrorLogFailed[] = "错误日志写入失败，请检查保存文件夹权限";

BatchWorker::BatchWorker(QObject *parent) : QObject(parent), m_lookAhead(qBound(1, QThread::idealThreadCount(), 8))
{
}

bool BatchFile::open(const QString &path)
{
    // Through the one write path's appending open: a name that is not a
    // regular file (a FIFO would block the batch) is refused.
    const int fd = openForAppend(path);
    if (fd < 0 || !m_file.open(fd, QIODevice::WriteOnly | QIODevice::Append | QIODevice::Text,
                               QFileDevice::AutoCloseHandle)) {
        if (fd >= 0)
            ::close(fd);
        return false;
    }
    m_stream.setDevice(&m_file);
    m_stream.setCodec("UTF-8");
    m_stream.setGenerateByteOrderMark(false);
    return true;
}

bool BatchFile::close()
{
    m_stream.flush();
    // On the disk before the batch reports it written.
    const bool written =
        m_stream.status() == QTextStream::Ok && m_file.flush() && ::fdatasync(int(m_file.handle())) == 0;
    m_file.close();
    return written && m_file.error() == QFileDevice::NoError;
}

QString BatchWorker::secondsText(qint64 milliseconds)
{
    return QString::number(milliseconds / 1000.0, 'g', 6);
}
