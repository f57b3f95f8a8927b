#include "batchworker.h"

#include <QThread>

BatchWorker::BatchWorker(QObject *parent) : QObject(parent), m_lookAhead(qBound(1, QThread::idealThreadCount(), 8))
{
}

bool BatchFile::open(const QString &path)
{
    m_file.setFileName(path);
    if (!m_file.open(QIODevice::WriteOnly | QIODevice::Append | QIODevice::Text))
        return false;
    m_stream.setDevice(&m_file);
    m_stream.setCodec("UTF-8");
    m_stream.setGenerateByteOrderMark(false);
    return true;
}

bool BatchFile::close()
{
    m_stream.flush();
    const bool written = m_stream.status() == QTextStream::Ok && m_file.flush();
    m_file.close();
    return written && m_file.error() == QFileDevice::NoError;
}

QString BatchWorker::secondsText(qint64 milliseconds)
{
    return QString::number(milliseconds / 1000.0, 'g', 6);
}
