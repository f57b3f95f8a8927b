// Batch decode of a folder and its direct subfolders, decoding ahead on every
// core and one file at a time, beside one reference process (zxing_files)
// given the same files; checks that both batch runs wrote the same bytes.
//
//   bench_batch FOLDER [REFERENCE_PROGRAM]
#include "batchjiema.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QThread>

#include <cstdio>

namespace {

// Runs one batch into `results`; its time in seconds.
double timeBatch(const QString &folder, const QString &results, int lookAhead)
{
    auto *worker = new BatchJiema;
    worker->setLookAhead(lookAhead);
    QElapsedTimer clock;
    clock.start();
    worker->batchStart(folder, results, QStringLiteral("excel"));
    const double seconds = clock.elapsed() / 1000.0;
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    return seconds;
}

// Every result file's name and bytes, with the batch's start stamp taken out.
QByteArray written(const QString &results)
{
    QByteArray all;
    for (const QString &name : QDir(results).entryList(QDir::Files, QDir::Name)) {
        QFile file(results + QLatin1Char('/') + name);
        if (!file.open(QIODevice::ReadOnly))
            return QByteArray();
        const QString text = name.mid(19) + QLatin1Char('\n') + QString::fromUtf8(file.readAll());
        all += QString(text).replace(QRegularExpression("\\d{4}(_\\d\\d){5}"), "STAMP").toUtf8();
    }
    return all;
}

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    if (argc < 2) {
        std::fprintf(stderr, "usage: %s FOLDER [REFERENCE_PROGRAM]\n", argv[0]);
        return 2;
    }
    const QString folder = QFileInfo(QString::fromLocal8Bit(argv[1])).absoluteFilePath();
    const QString reference = argc > 2 ? QString::fromLocal8Bit(argv[2])
                                       : QCoreApplication::applicationDirPath() + QStringLiteral("/zxing_files");
    QTemporaryDir work;
    QDir::setCurrent(work.path()); // the counter file goes there

    QStringList files;
    const QDir::Filters filter = QDir::Files | QDir::Hidden | QDir::NoSymLinks;
    for (const QString &name : QDir(folder).entryList(filter, QDir::Unsorted))
        files << folder + QLatin1Char('/') + name;
    for (const QString &sub : QDir(folder).entryList(QDir::Dirs | QDir::NoDotAndDotDot, QDir::Unsorted))
        for (const QString &name : QDir(folder + QLatin1Char('/') + sub).entryList(filter, QDir::Unsorted))
            files << folder + QLatin1Char('/') + sub + QLatin1Char('/') + name;
    QStringList pictures = files.filter(QRegularExpression("\\.(png|jpe?g|gif|bmp)$", QRegularExpression::CaseInsensitiveOption));

    QElapsedTimer clock;
    clock.start();
    QProcess process;
    process.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    process.start(reference, pictures);
    if (!process.waitForFinished(-1) || process.exitCode() != 0) {
        std::fprintf(stderr, "%s did not run\n", qPrintable(reference));
        return 1;
    }
    const double referenceSeconds = clock.elapsed() / 1000.0;

    const int cores = QThread::idealThreadCount();
    const double ahead = timeBatch(folder, work.filePath("ahead"), qBound(1, cores, 8));
    const double alone = timeBatch(folder, work.filePath("alone"), 1);
    const bool same = written(work.filePath("ahead")) == written(work.filePath("alone"));

    std::printf("%d files (%d pictures), %d cores\n", int(files.size()), int(pictures.size()), cores);
    std::printf("| batch, decoding ahead | batch, one file at a time | reference process (ZXing alone) |\n");
    std::printf("|---|---|---|\n");
    std::printf("| %.2f s | %.2f s | %.2f s |\n", ahead, alone, referenceSeconds);
    std::printf("result files of the two batch runs: %s\n", same ? "identical" : "DIFFERENT");
    return same ? 0 : 1;
}
