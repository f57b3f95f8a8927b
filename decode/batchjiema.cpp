#include "batchjiema.h"

#include "aheadqueue.h"
#include "decodefront.h"
#include "helpers.h"
#include "statefiles.h"

#include <QDateTime>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>


namespace {

const char kSourceMissing[] = "你选择的文件夹不存在";
const char kResultsFolderFailed[] = "保存文件夹不存在并且创建失败";

QString decodeFile(const QString &path)
{
    const QImage picture = readPictureForDecoding(path);
    return picture.isNull() ? QString() : decodeImageText(picture, true);
}

// One result file's share of a batch: a folder, the files listed in it, and
// where their lines go.
struct Listing
{
    QString folder;
    QString resultName;
    bool folderFile;
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
    const QStringList sourceFiles = source.entryList(fileFilter, QDir::Unsorted);
    const QStringList folders = source.entryList(QDir::Dirs | QDir::NoDotAndDotDot, QDir::Unsorted);
    QElapsedTimer clock;
    clock.start();
    const QString stamp = QDateTime::currentDateTime().toString(QStringLiteral("yyyy_MM_dd_hh_mm_ss"));
    QList<Listing> listings;
    listings.append({jiema_path, stamp + QStringLiteral(".csv"), true});
    for (const QString &name : folders)
        listings.append({QFileInfo(source, name).absoluteFilePath(), stamp + QStringLiteral("__") + name + QStringLiteral(".csv"),
                         false});
    const bool excel = csv_parse == QLatin1String("excel");
    int successes = 0;
    int errors = 0;
    QString resultNames;
    // Files are read and decoded ahead; only their texts wait, so the window
    // is wide. Only what has been listed is worked on: a subfolder is listed
    // when its turn comes, so it shows every file that arrived meanwhile.
    AheadQueue<QString, QString> ahead(lookAhead(), 64 * lookAhead(), decodeFile);
    int index = 0; // the batch's next file

    for (int l = 0; l < listings.size(); ++l) {
        // Nothing more is written once a stop is asked, not even an empty result file.
        if (stopRequested()) {
            deleteLater();
            return;
        }
        const Listing &listing = listings.at(l);
        const QStringList names = l == 0 ? sourceFiles : QDir(listing.folder).entryList(fileFilter, QDir::Unsorted);
        for (const QString &name : names)
            ahead.append(listing.folder + QLatin1Char('/') + name);
        resultNames += (l ? QStringLiteral(" , ") : QString()) + listing.resultName;

        BatchFile results;
        if (!results.open(save_path + QLatin1Char('/') + listing.resultName))
            return warn(WriteFailed);
        BatchFile errorLog;
        if (!errorLog.open(save_path + QStringLiteral("/error_log.txt")))
            return warn(ErrorLogFailed);
        if (listing.folderFile)
            results.writeLine(QStringLiteral("文件名,二维码内容 "));
        for (const QString &name : names) {
            if (stopRequested()) {
                deleteLater();
                return;
            }
            const QString path = listing.folder + QLatin1Char('/') + name;
            emit returnResult(QStringLiteral("progress"), QStringLiteral("正在解码：%1").arg(path));
            const QString text = ahead.take(index++);
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
            return warn(WriteFailed);
    }
    if (stopRequested()) {
        deleteLater();
        return;
    }

    emit returnResult(QStringLiteral("success"),
                      QStringLiteral("解码统计：成功 %1 个， 错误：%2 个（在保存路径查看错误信息）").arg(successes).arg(errors));
    emit returnResult(QStringLiteral("runtime"), QStringLiteral("解码用时：%1 秒").arg(secondsText(clock.elapsed())));
    // The final line is rich text (green); the names in it show as they are.
    emit returnResult(QStringLiteral("progress"), QStringLiteral("<div style='color:green'>解码完成：</div>")
                                                      + QStringLiteral("<span style='white-space:pre'>")
                                                      + resultNames.toHtmlEscaped() + QStringLiteral("</span>"));
    addCacheCounter(QLatin1String(StateFile::DecodeCounter), successes);
    deleteLater();
}
