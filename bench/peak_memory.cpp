// Peak memory of one render: `peak_memory STYLE VERSION` renders one code at
// size 300 and prints the process's peak resident size before and after.
// Styles: standard, tone, visual, contour, svg, pdf.
#include "bsdqr.h"
#include "lunkuoqr.h"
#include "proqrcode.h"
#include "vectorqr.h"
#include "visualqr.h"

#include <QApplication>
#include <QTemporaryDir>

#include <cstdio>
#include <sys/resource.h>

namespace {

long peakKiB()
{
    struct rusage usage;
    getrusage(RUSAGE_SELF, &usage);
    return usage.ru_maxrss;
}

template <typename Renderer>
bool render(const QString &path, int version)
{
    Renderer qr;
    qr.content = "https://example.com/peak-memory";
    qr.version = version;
    return qr.create(path);
}

} // namespace

int main(int argc, char **argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    if (argc != 3) {
        std::fprintf(stderr, "usage: %s standard|tone|visual|contour|svg|pdf VERSION\n", argv[0]);
        return 2;
    }
    const QString style = QString::fromLocal8Bit(argv[1]);
    const int version = QString::fromLocal8Bit(argv[2]).toInt();
    QTemporaryDir dir;
    QDir::setCurrent(dir.path());
    const long before = peakKiB();
    bool ok = false;
    if (style == "standard") ok = render<ProQrcode>(dir.path() + "/out.png", version);
    else if (style == "tone") ok = render<bsdQr>(dir.path() + "/out.png", version);
    else if (style == "visual") ok = render<visualQr>(dir.path() + "/out.png", version);
    else if (style == "contour") ok = render<lunkuoQr>(dir.path() + "/out.png", version);
    else if (style == "svg") ok = render<svgQr>(dir.path() + "/out.svg", version);
    else if (style == "pdf") ok = render<pdfQr>(dir.path() + "/out.pdf", version);
    const long after = peakKiB();
    std::printf("%s version %d: %s, peak resident %ld KiB before, %ld KiB after (+%ld KiB)\n", argv[1], version,
                ok ? "ok" : "FAILED", before, after, after - before);
    return ok ? 0 : 1;
}
