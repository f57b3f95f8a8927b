// Batch generation of a data package of ROWS rows (default 1,000) in the
// standard style at 300 pixels, rendering ahead on every core and one row at
// a time, beside the qrencode program run once per row on the same texts
// (`qrencode -s 10 -o FILE TEXT`), as a shell loop would.
//
//   bench_batchcreate [ROWS]
#include "batchcreate.h"
#include "csv.h"

#include <QGuiApplication>
#include <QDir>
#include <QElapsedTimer>
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
    const double ahead = timeBatch(csv, work.filePath(QStringLiteral("ahead")), qBound(1, cores, 8));
    const double alone = timeBatch(csv, work.filePath(QStringLiteral("alone")), 1);

    QDir().mkpath(work.filePath(QStringLiteral("qrencode")));
    QElapsedTimer clock;
    clock.start();
    for (int i = 1; i < data.size(); ++i) {
        const QString out = work.filePath(QStringLiteral("qrencode/") + data.at(i).at(0) + QStringLiteral(".png"));
        if (QProcess::execute(QStringLiteral("qrencode"), {"-s", "10", "-o", out, data.at(i).at(1)}) != 0) {
            std::fprintf(stderr, "qrencode did not run (apt-get install qrencode)\n");
            return 1;
        }
    }
    const double loop = clock.elapsed() / 1000.0;

    const auto perCode = [rows](double seconds) { return 1000.0 * seconds / rows; };
    std::printf("%d rows, standard style at 300 px, %d cores\n", rows, cores);
    std::printf("| batch, rendering ahead | batch, one row at a time | qrencode once per row |\n|---|---|---|\n");
    std::printf("| %.2f ms a code (%.2f s) | %.2f ms a code (%.2f s) | %.2f ms a code (%.2f s) |\n", perCode(ahead), ahead,
                perCode(alone), alone, perCode(loop), loop);
    return 0;
}
