#include "testsupport.h"

#include <QDir>
#include <QFile>
#include <QPainter>

// zbar first: zxing-cpp's headers define names that clash with zbar's.
#include <zbar.h>
#define ZX_USE_UTF8
#include <ZXing/ReadBarcode.h>
#include <gif_lib.h>

void TestCwd::enter()
{
    m_previous = QDir::currentPath();
    m_dir = std::make_unique<QTemporaryDir>();
    QDir::setCurrent(m_dir->path());
}

void TestCwd::leave()
{
    QDir::setCurrent(m_previous);
    m_dir.reset();
}

QString TestCwd::path() const
{
    return m_dir ? m_dir->path() : QString();
}

QString TestCwd::file(const QString &name) const
{
    return path() + QLatin1Char('/') + name;
}

namespace TestSupport {

QImage prepareForDecode(const QImage &image, int border)
{
    QImage out(image.width() + 2 * border, image.height() + 2 * border, QImage::Format_RGB32);
    out.fill(Qt::white);
    QPainter painter(&out);
    painter.drawImage(border, border, image);
    painter.end();
    return out;
}

QString decodeZXing(const QImage &image, bool anyFormat)
{
    const QImage grey = image.convertToFormat(QImage::Format_Grayscale8);
    ZXing::DecodeHints hints;
    hints.setFormats(anyFormat ? ZXing::BarcodeFormats() : ZXing::BarcodeFormats(ZXing::BarcodeFormat::QRCode));
    hints.setTryHarder(true);
    ZXing::ImageView view(grey.constBits(), grey.width(), grey.height(), ZXing::ImageFormat::Lum,
                          int(grey.bytesPerLine()));
    const ZXing::Result result = ZXing::ReadBarcode(view, hints);
    if (!result.isValid())
        return QString();
    return QString::fromStdString(result.text());
}

QString decodeZbar(const QImage &image)
{
    const QImage grey = image.convertToFormat(QImage::Format_Grayscale8);
    QByteArray packed;
    packed.reserve(grey.width() * grey.height());
    for (int y = 0; y < grey.height(); ++y)
        packed.append(reinterpret_cast<const char *>(grey.constScanLine(y)), grey.width());
    zbar::ImageScanner scanner;
    // QR only: the renders hold nothing else, and other symbologies log noise.
    scanner.set_config(zbar::ZBAR_NONE, zbar::ZBAR_CFG_ENABLE, 0);
    scanner.set_config(zbar::ZBAR_QRCODE, zbar::ZBAR_CFG_ENABLE, 1);
    zbar::Image zimage(unsigned(grey.width()), unsigned(grey.height()), "Y800", packed.constData(),
                       unsigned(packed.size()));
    scanner.scan(zimage);
    QString text;
    for (auto symbol = zimage.symbol_begin(); symbol != zimage.symbol_end(); ++symbol)
        text = QString::fromStdString(symbol->get_data());
    zimage.set_data(nullptr, 0);
    return text;
}

QString checkDecodes(const QImage &image, const QString &expected, bool withZbar)
{
    const QImage prepared = prepareForDecode(image);
    const QString byZXing = decodeZXing(prepared);
    if (byZXing != expected)
        return QStringLiteral("zxing read \"%1\" instead of \"%2\"").arg(byZXing, expected);
    bool ascii = withZbar;
    for (QChar c : expected)
        ascii = ascii && c.unicode() < 128;
    if (ascii) {
        const QString byZbar = decodeZbar(prepared);
        if (byZbar != expected)
            return QStringLiteral("zbar read \"%1\" instead of \"%2\"").arg(byZbar, expected);
    }
    return QString();
}

void saveToGallery(const QString &name, const QImage &image)
{
    QDir().mkpath(QStringLiteral(VOPA_GALLERY_DIR));
    image.save(QStringLiteral(VOPA_GALLERY_DIR) + QLatin1Char('/') + name + QStringLiteral(".png"));
}

GifRecord readGif(const QString &path)
{
    GifRecord record;
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        record.error = QStringLiteral("cannot open");
        return record;
    }
    record.signature = file.read(6);
    file.close();

    int error = 0;
    GifFileType *gif = DGifOpenFileName(QFile::encodeName(path).constData(), &error);
    if (!gif) {
        record.error = QString::fromLatin1(GifErrorString(error));
        return record;
    }
    if (DGifSlurp(gif) != GIF_OK) {
        record.error = QString::fromLatin1(GifErrorString(gif->Error));
        DGifCloseFile(gif, &error);
        return record;
    }
    record.width = gif->SWidth;
    record.height = gif->SHeight;
    record.globalMapSize = gif->SColorMap ? gif->SColorMap->ColorCount : 0;
    for (int i = 0; i < gif->ImageCount; ++i) {
        const SavedImage &sp = gif->SavedImages[i];
        GifFrameRecord frame;
        frame.left = sp.ImageDesc.Left;
        frame.top = sp.ImageDesc.Top;
        frame.width = sp.ImageDesc.Width;
        frame.height = sp.ImageDesc.Height;
        frame.localMapSize = sp.ImageDesc.ColorMap ? sp.ImageDesc.ColorMap->ColorCount : 0;
        for (int e = 0; e < sp.ExtensionBlockCount; ++e) {
            const ExtensionBlock &block = sp.ExtensionBlocks[e];
            if (block.Function == GRAPHICS_EXT_FUNC_CODE) {
                ++frame.gceCount;
                GraphicsControlBlock gcb;
                DGifExtensionToGCB(block.ByteCount, block.Bytes, &gcb);
                frame.delay = gcb.DelayTime;
                frame.transparentIndex = gcb.TransparentColor;
            }
            if (block.Function == APPLICATION_EXT_FUNC_CODE && block.ByteCount == 11
                && memcmp(block.Bytes, "NETSCAPE2.0", 11) == 0) {
                frame.netscape = true;
                if (e + 1 < sp.ExtensionBlockCount && sp.ExtensionBlocks[e + 1].ByteCount == 3) {
                    const unsigned char *b = sp.ExtensionBlocks[e + 1].Bytes;
                    frame.loopCount = b[1] | (b[2] << 8);
                }
            }
        }
        const ColorMapObject *map = sp.ImageDesc.ColorMap ? sp.ImageDesc.ColorMap : gif->SColorMap;
        QImage image(frame.width, frame.height, QImage::Format_RGB32);
        for (int y = 0; y < frame.height && map; ++y) {
            for (int x = 0; x < frame.width; ++x) {
                const int index = sp.RasterBits[y * frame.width + x];
                const GifColorType c = index < map->ColorCount ? map->Colors[index] : GifColorType{0, 0, 0};
                image.setPixel(x, y, qRgb(c.Red, c.Green, c.Blue));
            }
        }
        frame.image = image;
        record.frames.append(frame);
    }
    DGifCloseFile(gif, &error);
    record.ok = true;
    return record;
}

int alphaAt(const QImage &image, int x, int y)
{
    return qAlpha(image.pixel(x, y));
}

} // namespace TestSupport
