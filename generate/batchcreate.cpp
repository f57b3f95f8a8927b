#include "batchcreate.h"

#include "aheadqueue.h"
#include "csv.h"
#include "fileread.h"
#include "helpers.h"
#include "rendererfill.h"
#include "statefiles.h"
#include "stylecatalogue.h"
#include "stylerecord.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>

namespace {

// A name from the data package that names a file in the save folder, and
// nothing outside it.
bool isFileName(const QString &name)
{
    return !name.contains(QLatin1Char('/')) && !name.contains(QLatin1Char('\\')) && !name.contains(QChar(0))
           && name != QLatin1String(".") && name != QLatin1String("..");
}

// One data row, ready to render: what its code holds and is named.
struct Row
{
    bool usable = false;
    QString name;
    QByteArray content;
};

Row rowOf(const QStringList &fields, int index)
{
    Row row;
    row.name = fields.value(0).isEmpty() ? QString::number(index) : fields.value(0);
    row.content = fields.value(1).toUtf8();
    // A row without a text, or whose name would leave the folder, is an error row.
    row.usable = !row.content.isEmpty() && isFileName(row.name);
    return row;
}

// A row rendered ahead of its turn: whether its renderer succeeded, and the
// file writes it made, held until the row's turn.
struct Rendered
{
    bool created = false;
    HeldWrites writes;
};

} // namespace

void BatchCreate::batchStart(QString jiema_path, QString save_path, QString style_type)
{
    const auto warn = [this](const char *text) {
        emit returnResult(QStringLiteral("warning"), QString::fromUtf8(text));
        deleteLater();
    };
    const QString cacheDirPath = cacheDir();
    const QString style = style_type.isEmpty() ? QStringLiteral("pro") : style_type;
    // A package that cannot be read is told, not run as an empty one.
    QFile package;
    if (!openForReading(&package, jiema_path, ReadLimit::DataPackage))
        return warn("请选择正确csv数据包文件");
    package.close();
    const QList<QStringList> rows = Csv::readFile(jiema_path, QString());
    if (rows.isEmpty())
        return warn("请选择正确csv数据包文件");
    if (!QFileInfo(save_path).isDir() && !QDir().mkpath(save_path))
        return warn("保存文件夹不存在并且创建失败");
    int successes = 0;
    int errors = 0;
    QElapsedTimer clock;
    clock.start();
    BatchFile errorLog;
    if (!errorLog.open(save_path + QStringLiteral("/error_log.txt")))
        return warn(ErrorLogFailed);

    const StyleCatalogue::Style *catalogued = StyleCatalogue::find(style);
    const StyleRecord::Read record =
        catalogued ? StyleRecord::readFile(stateFilePath(cacheDirPath, QLatin1String(catalogued->recordFile)))
                   : StyleRecord::Read();
    const Filling::Settings settings = Filling::Settings::fromRecord(record, style, Filling::Caller::Batch);
    const QString extension = Filling::outputExtension(style, settings, Filling::Caller::Batch);

    // Rows are rendered ahead on other cores, their files written beside
    // their targets, and put in place in row order, each exactly as the
    // row's own write would have been made (a later row of the same name
    // replaces an earlier one; a file the user may not write, a file's mode
    // and a link are treated alike). A file that replaces another is synced
    // before it takes its place; the new ones are synced with their file
    // system, once, when the batch ends.
    const auto render = [&](const int &index) {
        Rendered rendered;
        const Row row = rowOf(rows.at(index), index);
        if (!row.usable)
            return rendered;
        const QString path = save_path + QLatin1Char('/') + row.name + QLatin1Char('.') + extension;
        const auto create = [&] {
            return Filling::renderCode(style, settings, row.content, row.name, Filling::Caller::Batch, path);
        };
        rendered.created = holdingWrites(&rendered.writes, create);
        return rendered;
    };
    // The styles painted at 50 pixels a module hold a large canvas each.
    const bool largeCanvas = style != QLatin1String("pro") && style != QLatin1String("svg");
    const int threads = largeCanvas ? qMin(lookAhead(), 4) : lookAhead();
    PendingSync written; // the file systems of the new files
    {
        AheadQueue<int, Rendered> queue(threads, 2 * threads, render);
        for (int i = 1; i < rows.size(); ++i)
            queue.append(i);
        for (int i = 1; i < rows.size(); ++i) {
            if (stopRequested())
                break;
            const QStringList &fields = rows.at(i);
            emit returnResult(QStringLiteral("progress"), QStringLiteral("正在生成：%1").arg(fields.value(0)));
            Rendered rendered = queue.take(i - 1);
            if (rendered.created && makeHeldWrites(rendered.writes, &written)) {
                ++successes;
            } else {
                ++errors;
                errorLog.writeLine(fields.join(QLatin1Char(',')));
            }
        }
    }
    // Every file counted is on the disk before the batch says so.
    const bool synced = written.sync();
    const bool logged = errorLog.close();
    // A stop, even one asked after the last row, ends the batch silently.
    if (stopRequested()) {
        deleteLater();
        return;
    }
    // The rows it could not make would be lost with the log: the page says
    // so instead of pointing there. The codes made are counted all the same.
    if (!logged) {
        addCacheCounter(QLatin1String(StateFile::CreateCounter), successes);
        return warn(ErrorLogFailed);
    }
    // The disk lost some of the codes while writing them out.
    if (!synced)
        return warn(WriteFailed);

    emit returnResult(QStringLiteral("success"),
                      QStringLiteral("生成统计：成功 %1 个， 错误：%2 个（在保存路径查看错误信息）").arg(successes).arg(errors));
    emit returnResult(QStringLiteral("runtime"), QStringLiteral("生成用时：%1 秒").arg(secondsText(clock.elapsed())));
    emit returnResult(QStringLiteral("progress"), QStringLiteral("<div style='color:green'>生成完成：</div>"));
    addCacheCounter(QLatin1String(StateFile::CreateCounter), successes);
    deleteLater();
}
