// Batch generation of a data package of ROWS rows (default 1,000) in the
// standard style at 300 pixels, rendering ahead on every core and one row at
// a time, beside a shell loop that runs the qrencode program once per row on
// the same names and texts (`qrencode -s 10 -o NAME.png TEXT`), as a user
// would run it; the two ratios to the loop's time are printed.
//
//   bench_batchcreate [ROWS] [ahead|alone]
//
// With "ahead" or "alone" it runs only that batch, for a profiler.
#include "batchcreate.h"
#include "csv.h"

#include <QGuiApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QThread>

#include <cstdio>

namespace {

double timeBatch(const QString &csv, const QString &folder, int lookAhead)
{
    auto *worker = new BatchCreate;
    worker->setLookAhead(lookAhead);
    QElapsedTimer clock;
    clock.start();
    worker->batchStart(csv, folder, QStringLiteral("pro"));
    const double seconds = clock.elapsed() / 1000.0;
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    return seconds;
}

} // namespace

int main(int argc, char **argv)
{
    QGuiApplication app(argc, argv); // the renderers paint pixmaps
    const int rows = argc > 1 ? QString::fromLocal8Bit(argv[1]).toInt() : 1000;
    QTemporaryDir work;
    QDir::setCurrent(work.path()); // no saved record there: size 300, level M
    QList<QStringList> data = {{QStringLiteral("name"), QStringLiteral("text")}};
    for (int i = 0; i < rows; ++i)
        data.append({QStringLiteral("c%1").arg(i, 4, 10, QLatin1Char('0')),
                     QStringLiteral("https://www.vopa.example/item/%1").arg(i)});
    const QString csv = work.filePath(QStringLiteral("data.csv"));
    if (!Csv::writeFile(data, csv, QString()))
        return 1;

    const int cores = QThread::idealThreadCount();
    const QByteArray only = argc > 2 ? QByteArray(argv[2]) : QByteArray();
    if (only == "ahead" || only == "alone") {
        const int lookAhead = only == "ahead" ? qBound(1, cores, 8) : 1;
        std::printf("%s: %.2f s\n", only.constData(), timeBatch(csv, work.filePath(QString::fromLatin1(only)), lookAhead));
        return 0;
    }
    const double ahead = timeBatch(csv, work.filePath(QStringLiteral("ahead")), qBound(1, cores, 8));
    const double alone = timeBatch(csv, work.filePath(QStringLiteral("alone")), 1);

    // The reference: bash reading the rows and running qrencode for each.
    const QString loopDir = work.filePath(QStringLiteral("qrencode"));
    QDir().mkpath(loopDir);
    QFile rowsFile(work.filePath(QStringLiteral("rows.txt")));
    if (!rowsFile.open(QIODevice::WriteOnly))
        return 1;
    for (int i = 1; i < data.size(); ++i)
        rowsFile.write((data.at(i).at(0) + QLatin1Char(' ') + data.at(i).at(1) + QLatin1Char('\n')).toUtf8());
    rowsFile.close();
    const QString script = QStringLiteral("cd '%1' && while read -r name text; do qrencode -s 10 -o \"$name.png\" "
                                          "\"$text\" || exit 1; done < '%2'")
                               .arg(loopDir, rowsFile.fileName());
    QElapsedTimer clock;
    clock.start();
    if (QProcess::execute(QStringLiteral("bash"), {QStringLiteral("-c"), script}) != 0
        || QDir(loopDir).entryList(QDir::Files).size() != rows) {
        std::fprintf(stderr, "the qrencode loop did not run (apt-get install qrencode)\n");
        return 1;
    }
    const double loop = clock.elapsed() / 1000.0;

    const auto perCode = [rows](double seconds) { return 1000.0 * seconds / rows; };
    std::printf("%d rows, standard style at 300 px, %d cores\n", rows, cores);
    std::printf("| batch, rendering ahead | batch, one row at a time | shell loop of qrencode |\n|---|---|---|\n");
    std::printf("| %.2f ms a code (%.2f s), %.2f of the loop | %.2f ms a code (%.2f s), %.2f of the loop "
                "| %.2f ms a code (%.2f s) |\n",
                perCode(ahead), ahead, ahead / loop, perCode(alone), alone, alone / loop, perCode(loop), loop);
    return 0;
}
