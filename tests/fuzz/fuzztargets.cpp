// The fuzz targets, one per input the program reads from outside; the build
// picks one with FUZZ_STYLERECORD, FUZZ_DECODE, FUZZ_GIF or FUZZ_UPDATEREPLY.
#include "fuzztarget.h"

#include <QBuffer>
#include <QDir>
#include <QGuiApplication>
#include <QTemporaryDir>

#include <cstdio>

#if defined(FUZZ_STYLERECORD)
#include "bsdqr.h"
#include "gifimage.h"
#include "lunkuoqr.h"
#include "proqrcode.h"
#include "rendererfill.h"
#include "vectorqr.h"
#include "visualqr.h"
#elif defined(FUZZ_DECODE)
#include "decodefront.h"
#elif defined(FUZZ_GIF)
#include "gifimage.h"
#else
#include "updatereply.h"
#endif

namespace {

QString g_folder; // where renders go

#if defined(FUZZ_STYLERECORD)
template <class Renderer>
void render(const Filling::Settings &settings, const QString &extension)
{
    Renderer qr;
    Filling::fill(qr, settings, "fuzz", QStringLiteral("caption"));
    qr.create(g_folder + QStringLiteral("/out.") + extension);
}

template <class Writer>
void write(const Filling::Settings &settings, Filling::Caller caller, bool pdf)
{
    Writer qr;
    Filling::fill(qr, settings, "fuzz", QStringLiteral("caption"), caller, pdf);
    qr.dir = g_folder; // its cache folder
    qr.create(g_folder + (pdf ? QStringLiteral("/out.pdf") : QStringLiteral("/out.svg")));
}

// Pictures of the target's own, which a record's picture keys are pointed at:
// a small PNG, and a two-frame GIF background.
void writePictures()
{
    QImage picture(64, 48, QImage::Format_RGB32);
    picture.fill(QColor("#80c0ff"));
    picture.save(g_folder + QStringLiteral("/picture.png"));
    GifImage gif(QSize(64, 48));
    for (const char *colour : {"#ffe0c0", "#c0ffe0"}) {
        picture.fill(QColor(colour));
        gif.addFrame(picture, QPoint(0, 0), 100);
    }
    gif.save(g_folder + QStringLiteral("/background.gif"));
}
#endif

// Only what would end or corrupt a run is worth printing among everything the
// image code says about broken input.
void printGrave(QtMsgType type, const QMessageLogContext &, const QString &message)
{
    if (type == QtFatalMsg || type == QtCriticalMsg)
        std::fprintf(stderr, "%s\n", qPrintable(message));
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int *argc, char ***argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    qInstallMessageHandler(printGrave);
    static QGuiApplication app(*argc, *argv);
    // The working folder stays: the fuzzer reads its corpus and writes its
    // findings by the paths it was given.
    static QTemporaryDir folder;
    g_folder = folder.path();
#if defined(FUZZ_STYLERECORD)
    writePictures();
#endif
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    QByteArray bytes = QByteArray::fromRawData(reinterpret_cast<const char *>(data), int(size));
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::ReadOnly);
#if defined(FUZZ_STYLERECORD)
    // A style record filled into a renderer and rendered: the first byte picks
    // the style and the caller, the rest is the record.
    if (size < 1)
        return 0;
    StyleRecord::Read record = StyleRecord::parse(QString::fromUtf8(bytes.mid(1)));
    // A record names pictures of its own machine: those it names are the
    // target's own, the background still or animated by the first byte.
    const QString picture = g_folder + QStringLiteral("/picture.png");
    for (const char *key : {"qr_logo", "qr_fgimg"})
        if (record.values.contains(QLatin1String(key)))
            record.values.insert(QLatin1String(key), picture);
    if (record.values.contains(QStringLiteral("qr_bgimg")))
        record.values.insert(QStringLiteral("qr_bgimg"),
                             data[0] & 16 ? g_folder + QStringLiteral("/background.gif") : picture);
    const Filling::Caller caller = data[0] & 8 ? Filling::Caller::Batch : Filling::Caller::SingleGenerate;
    static const char *const keys[] = {"pro", "visual", "bsd", "lunkuo", "svg", "svg"};
    const int style = (data[0] & 7) % 6;
    const Filling::Settings settings = Filling::Settings::fromRecord(record, QLatin1String(keys[style]), caller);
    const QString extension = Filling::outputExtension(settings);
    switch (style) {
    case 0: render<ProQrcode>(settings, extension); break;
    case 1: render<visualQr>(settings, extension); break;
    case 2: render<bsdQr>(settings, extension); break;
    case 3: render<lunkuoQr>(settings, extension); break;
    case 4: write<svgQr>(settings, caller, false); break;
    default: write<pdfQr>(settings, caller, true); break;
    }
#elif defined(FUZZ_DECODE)
    // Picture bytes read as the decode page reads a file, then decoded.
    decodeImageText(readPictureForDecoding(&buffer), true);
#elif defined(FUZZ_GIF)
    GifImage gif;
    if (gif.load(&buffer))
        for (int i = 0; i < gif.frameCount(); ++i)
            gif.frame(i);
#else
    readUpdateReply(bytes);
#endif
    return 0;
}
