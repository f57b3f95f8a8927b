// Speed of the renderers against the encoder alone.
// Run: cmake -S . -B build -DVOPA_BUILD_BENCH=ON && cmake --build build --target bench_render
//      QT_QPA_PLATFORM=offscreen build/bench/bench_render
#include "bsdqr.h"
#include "gifimage.h"
#include "lunkuoqr.h"
#include "proqrcode.h"
#include "vectorqr.h"
#include "visualqr.h"

#include <QApplication>
#include <QDir>
#include <QImage>
#include <QPainter>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>
#include <qrencode.h>

namespace {

QString g_dir;

// Text that fills most of the given version at level Q.
QByteArray textFor(int version)
{
    static const int capacity[] = {0, 11, 0, 0, 0, 0, 0, 0, 0, 0, 151, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0,
                                   0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 1663};
    QByteArray text = "https://example.com/bench?q=";
    while (text.size() < capacity[version])
        text.append(char('a' + text.size() % 26));
    return text.left(capacity[version]);
}

void BM_Encode(benchmark::State &state)
{
    const int version = int(state.range(0));
    const QByteArray text = textFor(version);
    for (auto _ : state) {
        QRcode *code = QRcode_encodeString(text.constData(), version, QR_ECLEVEL_Q, QR_MODE_8, 1);
        benchmark::DoNotOptimize(code);
        QRcode_free(code);
    }
}

void BM_CreatePng(benchmark::State &state)
{
    const int version = int(state.range(0));
    const QByteArray text = textFor(version);
    const QString path = g_dir + "/bench.png";
    for (auto _ : state) {
        ProQrcode qr;
        qr.content = text;
        qr.version = version;
        qr.xt = int(state.range(1));
        if (!qr.create(path))
            state.SkipWithError("create failed");
    }
}

void BM_CreateAnimatedGif(benchmark::State &state)
{
    const int version = int(state.range(0));
    const QByteArray text = textFor(version);
    const QString path = g_dir + "/bench.gif";
    for (auto _ : state) {
        ProQrcode qr;
        qr.content = text;
        qr.version = version;
        qr.bgImg = g_dir + "/background.gif";
        qr.bgX = 50;
        qr.bgY = 50;
        if (!qr.create(path))
            state.SkipWithError("create failed");
    }
}

// Every style at size 300 on the same version-10 text.
template <typename Renderer> const char *suffixOf() { return "png"; }
template <> const char *suffixOf<svgQr>() { return "svg"; }
template <> const char *suffixOf<pdfQr>() { return "pdf"; }

template <typename Renderer>
void BM_Style(benchmark::State &state)
{
    const QByteArray text = textFor(10);
    const QString path = g_dir + "/style." + suffixOf<Renderer>();
    for (auto _ : state) {
        Renderer qr;
        qr.content = text;
        qr.version = 10;
        qr.level = 2;
        if (!qr.create(path))
            state.SkipWithError("create failed");
    }
}

// A code as the single-generate page makes it: the standard style at its
// defaults, a web address, into the one output file it replaces each time.
void BM_SingleCode(benchmark::State &state)
{
    const QString path = g_dir + "/qrencode.png";
    int item = 0;
    for (auto _ : state) {
        ProQrcode qr;
        qr.content = "https://www.vopa.example/item/" + QByteArray::number(++item);
        qr.level = 1;
        if (!qr.create(path))
            state.SkipWithError("create failed");
    }
}

void writeBackground()
{
    GifImage gif(QSize(400, 400));
    for (int i = 0; i < 5; ++i) {
        QImage frame(400, 400, QImage::Format_RGB32);
        frame.fill(QColor::fromHsv(i * 60, 60, 250));
        gif.addFrame(frame, QPoint(0, 0), 100);
    }
    gif.save(g_dir + "/background.gif");
}

} // namespace

BENCHMARK(BM_Encode)->Arg(1)->Arg(10)->Arg(40)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_CreatePng)->Args({1, 0})->Args({10, 0})->Args({40, 0})->Args({40, 2})->Unit(benchmark::kMicrosecond);
BENCHMARK_TEMPLATE(BM_Style, ProQrcode)->Unit(benchmark::kMillisecond);
BENCHMARK_TEMPLATE(BM_Style, bsdQr)->Unit(benchmark::kMillisecond);
BENCHMARK_TEMPLATE(BM_Style, visualQr)->Unit(benchmark::kMillisecond);
BENCHMARK_TEMPLATE(BM_Style, lunkuoQr)->Unit(benchmark::kMillisecond);
BENCHMARK_TEMPLATE(BM_Style, svgQr)->Unit(benchmark::kMillisecond);
BENCHMARK_TEMPLATE(BM_Style, pdfQr)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_SingleCode)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_CreateAnimatedGif)->Arg(1)->Arg(10)->Arg(40)->Unit(benchmark::kMillisecond);

int main(int argc, char **argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    QTemporaryDir dir;
    g_dir = dir.path();
    writeBackground();
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
