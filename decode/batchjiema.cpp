#include "batchjiema.h"

#include "decodefront.h"
#include "helpers.h"
#include "statefiles.h"

#include <QDateTime>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QTextStream>
#include <QThread>

#include <future>
#include <vector>

namespace {

const char kSourceMissing[] = "你选择的文件夹不存在";
const char kResultsFolderFailed[] = "保存文件夹不存在并且创建失败";
const char kResultFileFailed[] = "保存文件写入失败，请检查文件夹权限";
const char kErrorLogFailed[] = "错误日志写入失败，请检查保存文件夹权限";

// A result file or the error log, appended to as UTF-8 without a byte-order
// mark. A write that failed (a full disk, a folder made read-only meanwhile)
// is noticed when the file is closed.
class AppendFile
{
public:
    bool open(const QString &path)
    {
        m_file.setFileName(path);
        if (!m_file.open(QIODevice::WriteOnly | QIODevice::Append | QIODevice::Text))
            return false;
        m_stream.setDevice(&m_file);
        m_stream.setCodec("UTF-8");
        m_stream.setGenerateByteOrderMark(false);
        return true;
    }
    void writeLine(const QString &line) { m_stream << line << '\n'; }
    bool close()
    {
        m_stream.flush();
        const bool written = m_stream.status() == QTextStream::Ok && m_file.flush();
        m_file.close();
        return written && m_file.error() == QFileDevice::NoError;
    }

private:
    QFile m_file;
    QTextStream m_stream;
};

QString decodeFile(const QString &path)
{
    const QImage picture = readPictureForDecoding(path);
    return picture.isNull() ? QString() : decodeImageText(picture, true);
}

// The texts of one listing's files, in order. With a look-ahead above one the
// next files are read and decoded on other cores while the current one is
// written; with one, each file is decoded when it is asked for.
class DecodeAhead
{
public:
    DecodeAhead(const QStringList &paths, int lookAhead) : m_paths(paths), m_lookAhead(lookAhead)
    {
        m_texts.resize(size_t(paths.size()));
    }

    QString text(int index)
    {
        const int end = qMin(m_paths.size(), index + m_lookAhead);
        for (; m_launched < end; ++m_launched) {
            const auto policy = m_lookAhead > 1 ? std::launch::async : std::launch::deferred;
            m_texts[size_t(m_launched)] = std::async(policy, decodeFile, m_paths.at(m_launched));
        }
        return m_texts[size_t(index)].get();
    }

private:
    const QStringList m_paths;
    const int m_lookAhead;
    int m_launched = 0;
    // Futures of std::async wait for their task when they go: a batch that
    // ends early leaves nothing running.
    std::vector<std::future<QString>> m_texts;
};

bool onlyDigits(const QString &text)
{
    for (const QChar c : text)
        if (c < QLatin1Char('0') || c > QLatin1Char('9'))
            return false;
    return !text.isEmpty();
}

bool needsQuotes(const QString &text)
{
    for (const QChar c : {QLatin1Char('"'), QLatin1Char(','), QLatin1Char('\r'), QLatin1Char('\n')})
        if (text.contains(c))
            return true;
    return false;
}

} // namespace

BatchJiema::BatchJiema(QObject *parent)
    : BatchWorker(parent), m_lookAhead(qBound(1, QThread::idealThreadCount(), 8))
{
}

QString BatchJiema::excelName(const QString &name)
{
    if (!needsQuotes(name))
        return name;
    return QLatin1Char('"') + QString(name).replace(QLatin1String("\""), QLatin1String("\"\"")) + QLatin1Char('"');
}

QString BatchJiema::excelText(const QString &text)
{
    if (needsQuotes(text))
        return excelName(text);
    // A long number would lose its digits in a spreadsheet: kept as text.
    if (onlyDigits(text))
        return QLatin1Char('"') + text + QLatin1String("\t\"");
    return text;
}

QString BatchJiema::nameWithoutExtension(const QString &fileName)
{
    const int dot = fileName.lastIndexOf(QLatin1Char('.'));
    if (dot < 0)
        return fileName;
    return QString(fileName).remove(QLatin1Char('.') + fileName.mid(dot + 1), Qt::CaseSensitive);
}

QString BatchJiema::secondsText(qint64 milliseconds)
{
    return QString::number(milliseconds / 1000.0, 'g', 6);
}

void BatchJiema::batchStart(QString jiema_path, QString save_path, QString csv_parse)
{
    const auto warn = [this](const char *text) {
        emit returnResult(QStringLiteral("warning"), QString::fromUtf8(text));
        deleteLater();
    };
    if (!QFileInfo(jiema_path).isDir())
        return warn(kSourceMissing);
    if (!QFileInfo(save_path).isDir() && !QDir().mkpath(save_path))
        return warn(kResultsFolderFailed);

    const QDir source(jiema_path);
    const QDir::Filters fileFilter = QDir::Files | QDir::Hidden | QDir::NoSymLinks;
    const QStringList files = source.entryList(fileFilter, QDir::Unsorted);
    const QStringList folders = source.entryList(QDir::Dirs | QDir::NoDotAndDotDot, QDir::Unsorted);
    QElapsedTimer clock;
    clock.start();
    const QString stamp = QDateTime::currentDateTime().toString(QStringLiteral("yyyy_MM_dd_hh_mm_ss"));
    QString resultNames = stamp + QStringLiteral(".csv");
    const bool excel = csv_parse == QLatin1String("excel");
    int successes = 0;
    int errors = 0;

    // One listing into one result file and the error log; false when the
    // batch ended there (a warning was sent, or a stop was asked for).
    const auto decodeListing = [&](const QString &folder, const QStringList &names, const QString &resultName,
                                   bool folderFile) {
        AppendFile results;
        if (!results.open(save_path + QLatin1Char('/') + resultName)) {
            warn(kResultFileFailed);
            return false;
        }
        AppendFile errorLog;
        if (!errorLog.open(save_path + QStringLiteral("/error_log.txt"))) {
            warn(kErrorLogFailed);
            return false;
        }
        if (folderFile)
            results.writeLine(QStringLiteral("文件名,二维码内容 "));
        QStringList paths;
        for (const QString &name : names)
            paths << folder + QLatin1Char('/') + name;
        DecodeAhead ahead(paths, m_lookAhead);
        for (int i = 0; i < names.size(); ++i) {
            if (stopRequested()) {
                deleteLater();
                return false;
            }
            emit returnResult(QStringLiteral("progress"), QStringLiteral("正在解码：%1").arg(paths.at(i)));
            const QString text = ahead.text(i);
            if (text.isEmpty()) {
                ++errors;
                errorLog.writeLine(stamp + QStringLiteral(" : ") + paths.at(i));
            } else if (folderFile) {
                ++successes;
                results.writeLine((excel ? excelName(names.at(i)) : names.at(i)) + QLatin1Char(',')
                                  + (excel ? excelText(text) : text));
            } else {
                ++successes;
                results.writeLine(nameWithoutExtension(names.at(i)) + QLatin1Char(',') + text);
            }
        }
        const bool resultsWritten = results.close();
        if (!errorLog.close() || !resultsWritten) {
            warn(kResultFileFailed);
            return false;
        }
        return true;
    };

    if (!decodeListing(jiema_path, files, stamp + QStringLiteral(".csv"), true))
        return;
    for (const QString &name : folders) {
        const QString folder = QFileInfo(source, name).absoluteFilePath();
        const QString resultName = stamp + QStringLiteral("__") + name + QStringLiteral(".csv");
        resultNames += QStringLiteral(" , ") + resultName;
        if (!decodeListing(folder, QDir(folder).entryList(fileFilter, QDir::Unsorted), resultName, false))
            return;
    }

    emit returnResult(QStringLiteral("success"),
                      QStringLiteral("解码统计：成功 %1 个， 错误：%2 个（在保存路径查看错误信息）").arg(successes).arg(errors));
    emit returnResult(QStringLiteral("runtime"),
                      QStringLiteral("解码用时：%1 秒").arg(secondsText(clock.elapsed())));
    emit returnResult(QStringLiteral("progress"),
                      QStringLiteral("<div style='color:green'>解码完成：</div>") + resultNames);
    addCacheCounter(QLatin1String(StateFile::DecodeCounter), successes);
    deleteLater();
}
