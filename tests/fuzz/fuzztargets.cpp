// The fuzz targets, one per input the program reads from outside; the build
// picks one with FUZZ_STYLERECORD, FUZZ_DECODE, FUZZ_GIF or FUZZ_UPDATEREPLY.
#include "fuzztarget.h"

#include <QBuffer>
#include <QDir>
#include <QGuiApplication>
#include <QTemporaryDir>

#if defined(FUZZ_STYLERECORD)
#include "bsdqr.h"
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
    qr.create(g_folder + (pdf ? QStringLiteral("/out.pdf") : QStringLiteral("/out.svg")));
}
#endif

} // namespace

extern "C" int LLVMFuzzerInitialize(int *argc, char ***argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    // Quiet: the image code logs about every broken input.
    qInstallMessageHandler([](QtMsgType, const QMessageLogContext &, const QString &) {});
    static QGuiApplication app(*argc, *argv);
    static QTemporaryDir folder;
    g_folder = folder.path();
    QDir::setCurrent(g_folder); // the cache folder of the vector writers
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
    // Pictures are not read here: a record names files of its own machine.
    for (const char *key : {"qr_bgimg", "qr_logo", "qr_fgimg"})
        record.values.remove(QLatin1String(key));
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
