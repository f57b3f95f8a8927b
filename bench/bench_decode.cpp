// Reads every picture with a NAME.txt truth beside it in the folders given on
// the command line with the decode front end (retry on), ZXing alone and zbar
// alone, and prints for each how many pictures gave a text, how many gave the
// right one, and the median time per picture.
//
//   bench_decode [-v] FOLDER...
//
// -v also lists the pictures the front end does not read right, with what
// each of the three gave.
#include "decodefront.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QGuiApplication>
#include <QImage>

#include <algorithm>
#include <cstdio>
#include <functional>
#include <utility>
#include <vector>

namespace {

struct Tally
{
    Tally(const char *name, std::function<QString(const QImage &)> decode) : name(name), decode(std::move(decode)) {}

    const char *name;
    std::function<QString(const QImage &)> decode;
    int found = 0, correct = 0;
    std::vector<double> millis;
    QString last;
    bool lastCorrect = false;
};

double median(std::vector<double> values)
{
    if (values.empty())
        return 0;
    std::sort(values.begin(), values.end());
    const size_t n = values.size();
    return n % 2 ? values[n / 2] : (values[n / 2 - 1] + values[n / 2]) / 2;
}

} // namespace

int main(int argc, char **argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    QStringList folders = app.arguments().mid(1);
    const bool verbose = folders.removeAll(QStringLiteral("-v")) > 0;
    if (folders.isEmpty()) {
        std::fprintf(stderr, "usage: bench_decode [-v] FOLDER...\n");
        return 2;
    }

    Tally tallies[] = {
        {"decodeImageText", [](const QImage &image) { return decodeImageText(image, true); }},
        {"decodeWithZxing", [](const QImage &image) { return decodeWithZxing(image); }},
        {"decodeWithZbar", [](const QImage &image) { return decodeWithZbar(image); }},
    };
    int total = 0;
    for (const QString &folder : folders) {
        const QDir dir(folder);
        const QStringList pictures = dir.entryList({QStringLiteral("*.png"), QStringLiteral("*.jpg"),
                                                    QStringLiteral("*.jpeg"), QStringLiteral("*.gif"),
                                                    QStringLiteral("*.bmp")},
                                                   QDir::Files, QDir::Name);
        for (const QString &picture : pictures) {
            QFile truthFile(dir.filePath(QFileInfo(picture).completeBaseName() + QStringLiteral(".txt")));
            if (!truthFile.open(QIODevice::ReadOnly))
                continue;
            const QString truth = QString::fromUtf8(truthFile.readAll());
            const QImage image(dir.filePath(picture));
            if (image.isNull()) {
                std::fprintf(stderr, "cannot read %s\n", qPrintable(dir.filePath(picture)));
                continue;
            }
            ++total;
            for (Tally &tally : tallies) {
                QElapsedTimer timer;
                timer.start();
                tally.last = tally.decode(image);
                tally.millis.push_back(timer.nsecsElapsed() / 1e6);
                tally.lastCorrect = tally.last == truth;
                tally.found += !tally.last.isEmpty();
                tally.correct += tally.lastCorrect;
            }
            if (verbose && !tallies[0].lastCorrect)
                std::printf("%s: front end \"%s\", zxing \"%s\", zbar \"%s\"\n", qPrintable(dir.filePath(picture)),
                            qPrintable(tallies[0].last.left(40)), qPrintable(tallies[1].last.left(40)),
                            qPrintable(tallies[2].last.left(40)));
        }
    }

    std::printf("%-16s %6s %8s %6s %10s\n", "decoder", "found", "correct", "total", "median ms");
    for (const Tally &tally : tallies)
        std::printf("%-16s %6d %8d %6d %10.2f\n", tally.name, tally.found, tally.correct, total, median(tally.millis));
    return 0;
}
