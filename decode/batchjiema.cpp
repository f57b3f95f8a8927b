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

#include <condition_variable>
#include <deque>
#include <mutex>
#include <thread>
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

// The texts of a batch's files, in order, as their paths become known. With
// more than one thread, the threads read and decode the files that follow the
// one being written, at most a window of files ahead of it, across folders (only their texts wait, so the window is wide);
// with one, each file is decoded when it is asked for.
class DecodeAhead
{
public:
    explicit DecodeAhead(int threads) : m_threadCount(threads < 2 ? 0 : threads), m_window(64 * threads) {}
    ~DecodeAhead()
    {
        {
            std::lock_guard<std::mutex> lock(m_mutex);
            m_cancelled = true;
        }
        m_changed.notify_all();
        for (std::thread &thread : m_threads)
            thread.join();
    }

    void append(const QStringList &paths)
    {
        {
            std::lock_guard<std::mutex> lock(m_mutex);
            for (const QString &path : paths) {
                m_paths.push_back(path);
                m_texts.emplace_back();
                m_ready.push_back(false);
            }
        }
        m_changed.notify_all();
        while (int(m_threads.size()) < m_threadCount)
            m_threads.emplace_back([this] { run(); });
    }

    QString text(int index)
    {
        std::unique_lock<std::mutex> lock(m_mutex);
        if (m_threads.empty()) {
            const QString path = m_paths[size_t(index)];
            lock.unlock();
            return decodeFile(path);
        }
        m_current = index;
        m_changed.notify_all();
        m_changed.wait(lock, [&] { return bool(m_ready[size_t(index)]); });
        return m_texts[size_t(index)];
    }

private:
    void run()
    {
        std::unique_lock<std::mutex> lock(m_mutex);
        for (;;) {
            m_changed.wait(lock, [&] {
                return m_cancelled || (m_next < int(m_paths.size()) && m_next < m_current + m_window);
            });
            if (m_cancelled)
                return;
            const int index = m_next++;
            const QString path = m_paths[size_t(index)];
            lock.unlock();
            const QString text = decodeFile(path);
            lock.lock();
            m_texts[size_t(index)] = text;
            m_ready[size_t(index)] = true;
            m_changed.notify_all();
        }
    }

    const int m_threadCount;
    const int m_window;
    std::vector<std::thread> m_threads;
    std::mutex m_mutex;
    std::condition_variable m_changed;
    std::deque<QString> m_paths;
    std::deque<QString> m_texts;
    std::deque<bool> m_ready;
    int m_next = 0;
    int m_current = 0;
    bool m_cancelled = false;
};

// One result file's share of a batch: a folder, the files listed in it, and
// where their lines go.
struct Listing
{
    QString folder;
    QString resultName;
    bool folderFile;
    // A subfolder the batch writes into is listed only when its turn comes,
    // so that it shows the files written so far; the others are listed at
    // once, so that their files can be decoded ahead.
    bool listed;
    QStringList names;
};

bool holds(const QString &folder, const QString &path)
{
    const QString outer = QFileInfo(folder).canonicalFilePath();
    const QString inner = QFileInfo(path).canonicalFilePath();
    return !outer.isEmpty() && (inner == outer || inner.startsWith(outer + QLatin1Char('/')));
}

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
    QList<Listing> listings;
    listings.append({jiema_path, QString(), true, true, source.entryList(fileFilter, QDir::Unsorted)});
    const QStringList folders = source.entryList(QDir::Dirs | QDir::NoDotAndDotDot, QDir::Unsorted);
    QElapsedTimer clock;
    clock.start();
    const QString stamp = QDateTime::currentDateTime().toString(QStringLiteral("yyyy_MM_dd_hh_mm_ss"));
    listings.first().resultName = stamp + QStringLiteral(".csv");
    for (const QString &name : folders) {
        const QString folder = QFileInfo(source, name).absoluteFilePath();
        const bool later = holds(folder, save_path);
        listings.append({folder, stamp + QStringLiteral("__") + name + QStringLiteral(".csv"), false, !later,
                         later ? QStringList() : QDir(folder).entryList(fileFilter, QDir::Unsorted)});
    }
    const bool excel = csv_parse == QLatin1String("excel");
    int successes = 0;
    int errors = 0;
    QString resultNames;
    DecodeAhead ahead(m_lookAhead);
    int queued = 0; // listings whose files the decoding has been given
    int index = 0;  // the batch's next file

    for (int l = 0; l < listings.size(); ++l) {
        Listing &listing = listings[l];
        if (!listing.listed)
            listing.names = QDir(listing.folder).entryList(fileFilter, QDir::Unsorted);
        for (; queued < listings.size() && (queued == l || listings.at(queued).listed); ++queued) {
            QStringList paths;
            for (const QString &name : listings.at(queued).names)
                paths << listings.at(queued).folder + QLatin1Char('/') + name;
            ahead.append(paths);
        }
        resultNames += (l ? QStringLiteral(" , ") : QString()) + listing.resultName;

        AppendFile results;
        if (!results.open(save_path + QLatin1Char('/') + listing.resultName))
            return warn(kResultFileFailed);
        AppendFile errorLog;
        if (!errorLog.open(save_path + QStringLiteral("/error_log.txt")))
            return warn(kErrorLogFailed);
        if (listing.folderFile)
            results.writeLine(QStringLiteral("文件名,二维码内容 "));
        for (const QString &name : listing.names) {
            if (stopRequested()) {
                deleteLater();
                return;
            }
            const QString path = listing.folder + QLatin1Char('/') + name;
            emit returnResult(QStringLiteral("progress"), QStringLiteral("正在解码：%1").arg(path));
            const QString text = ahead.text(index++);
            if (text.isEmpty()) {
                ++errors;
                errorLog.writeLine(stamp + QStringLiteral(" : ") + path);
                continue;
            }
            ++successes;
            if (!listing.folderFile)
                results.writeLine(nameWithoutExtension(name) + QLatin1Char(',') + text);
            else if (excel)
                results.writeLine(excelName(name) + QLatin1Char(',') + excelText(text));
            else
                results.writeLine(name + QLatin1Char(',') + text);
        }
        const bool resultsWritten = results.close();
        if (!errorLog.close() || !resultsWritten)
            return warn(kResultFileFailed);
    }

    emit returnResult(QStringLiteral("success"),
                      QStringLiteral("解码统计：成功 %1 个， 错误：%2 个（在保存路径查看错误信息）").arg(successes).arg(errors));
    emit returnResult(QStringLiteral("runtime"), QStringLiteral("解码用时：%1 秒").arg(secondsText(clock.elapsed())));
    emit returnResult(QStringLiteral("progress"), QStringLiteral("<div style='color:green'>解码完成：</div>") + resultNames);
    addCacheCounter(QLatin1String(StateFile::DecodeCounter), successes);
    deleteLater();
}
