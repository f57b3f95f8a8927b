#include "decodefront.h"

#include "fileread.h"
#include "helpers.h"
#include "picturereader.h"

#include <QByteArray>
#include <QFile>
#include <QImageReader>
#include <QPainter>

#include <algorithm>
#include <vector>

// zbar first: zxing-cpp's Error.h defines a macro that breaks zbar's C++ header.
#include <zbar.h>
#define ZX_USE_UTF8
#include <ZXing/ReadBarcode.h>

namespace {

// Largest side ZXing is given; bigger pictures are scaled down first.
constexpr int ZxingMaxSide = 999;
// White margin around the picture for the retry.
constexpr int RetryFrame = 20;
// Largest side a picture is read at for decoding; larger ones are read scaled,
// so a small file that declares a huge canvas costs only the scaled picture.
constexpr int MaxReadSide = 8000;

// The text of a ZXing result: the decoder's own text, which it has already
// read in the character set the symbol declares (ECI) or, without one, in the
// one it recognises (UTF-8, Shift_JIS or ISO-8859-1); it ends at its first NUL.
QString zxingText(const ZXing::Result &result)
{
    const std::string utf8 = result.text();
    const QString text = QString::fromUtf8(utf8.data(), int(utf8.size()));
    const int nul = text.indexOf(QChar(0));
    return nul < 0 ? text : text.left(nul);
}

} // namespace

QImage zxingInputImage(const QImage &image)
{
    if (image.width() <= ZxingMaxSide && image.height() <= ZxingMaxSide)
        return image;
    return image.scaled(ZxingMaxSide, ZxingMaxSide, Qt::KeepAspectRatio, Qt::SmoothTransformation);
}

QImage framedImage(const QImage &image)
{
    const int w = image.width();
    const int h = image.height();
    QImage framed(w + 2 * RetryFrame, h + 2 * RetryFrame, QImage::Format_RGB32);
    framed.fill(QColor(QStringLiteral("#ffffff")));
    QPainter painter(&framed);
    painter.setPen(Qt::NoPen);
    painter.setRenderHint(QPainter::Antialiasing);
    if (!image.isNull())
        painter.drawImage(QRect(RetryFrame, RetryFrame, w, h), image, QRect(0, 0, w, h));
    painter.end();
    return framed;
}

QImage framedRetryImage(const QImage &image)
{
    const double w = image.width();
    const double h = image.height();
    // By the width alone: wide pictures shrink to 70 %, the others grow to 120 %.
    const bool shrink = image.width() > 500;
    const QSize box = shrink ? QSize(int(w * 0.7), int(h * 0.7)) : QSize(int(w + w * 0.2), int(h + h * 0.2));
    if (box.isEmpty())
        return QImage();
    if (!shrink)
        return framedImage(image).scaled(box, Qt::KeepAspectRatio, Qt::FastTransformation);
    // A large picture is shrunk before it is framed, so that no framed copy
    // at its full size is ever made.
    const QSize framedSize(image.width() + 2 * RetryFrame, image.height() + 2 * RetryFrame);
    const QSize out = framedSize.scaled(box, Qt::KeepAspectRatio);
    const double sx = double(out.width()) / framedSize.width();
    const double sy = double(out.height()) / framedSize.height();
    const QRect inner(qRound(RetryFrame * sx), qRound(RetryFrame * sy), qRound(w * sx), qRound(h * sy));
    QImage framed(out, QImage::Format_RGB32);
    framed.fill(QColor(QStringLiteral("#ffffff")));
    if (!inner.isEmpty()) {
        QPainter painter(&framed);
        painter.drawImage(inner.topLeft(), image.scaled(inner.size(), Qt::IgnoreAspectRatio, Qt::FastTransformation));
    }
    return framed;
}

QImage readPictureForDecoding(QIODevice *device)
{
    // By the picture's own format, then as JPEG, then as PNG.
    return PictureReader::read(device, {QByteArray(), "JPG", "PNG"}, {MaxReadSide, qint64(MaxReadSide) * MaxReadSide});
}

QImage readPictureForDecoding(const QString &path)
{
    QFile file;
    return openForReading(&file, path, ReadLimit::Picture) ? readPictureForDecoding(&file) : QImage();
}

QString decodeImageText(QImage image, bool retry)
{
    try {
        QString text = decodeWithZxing(image);
        if (!text.isEmpty())
            return text;
        text = decodeWithZbar(image);
        if (!retry || !text.isEmpty())
            return text;
        return decodeImageText(framedRetryImage(image), false);
    } catch (...) {
        return QString();
    }
}

QString decodeWithZxing(QImage image)
{
    if (image.isNull())
        return QString();
    try {
        const QImage grey = zxingInputImage(image).convertToFormat(QImage::Format_Grayscale8);
        const ZXing::ImageView view(grey.constBits(), grey.width(), grey.height(), ZXing::ImageFormat::Lum,
                                    int(grey.bytesPerLine()));
        // Every hint is set: the library's defaults rotate, downscale and try
        // harder on their own. zxing-cpp 1.4 has no switch for GS1 handling of
        // Code 128 any more (it follows the FNC1 position); it only shows in the
        // symbology identifier and content type, which are not used: the text
        // is the plain content, without "]C1" or parenthesised AIs.
        ZXing::DecodeHints hints;
        hints.setFormats(ZXing::BarcodeFormat::QRCode | ZXing::BarcodeFormat::DataMatrix | ZXing::BarcodeFormat::Aztec
                         | ZXing::BarcodeFormat::PDF417 | ZXing::BarcodeFormat::EAN8 | ZXing::BarcodeFormat::EAN13
                         | ZXing::BarcodeFormat::UPCA | ZXing::BarcodeFormat::UPCE | ZXing::BarcodeFormat::Code39
                         | ZXing::BarcodeFormat::Code93 | ZXing::BarcodeFormat::Code128
                         | ZXing::BarcodeFormat::Codabar | ZXing::BarcodeFormat::ITF)
            .setBinarizer(ZXing::Binarizer::GlobalHistogram)
            .setTryRotate(false)
            .setTryDownscale(false)
            .setIsPure(false)
            .setTryCode39ExtendedMode(false)
            .setValidateCode39CheckSum(false)
            .setValidateITFCheckSum(false)
            .setReturnCodabarStartEnd(false)
            .setReturnErrors(false)
            .setEanAddOnSymbol(ZXing::EanAddOnSymbol::Ignore)
            .setTryHarder(false);
        ZXing::Result result = ZXing::ReadBarcode(view, hints);
        if (!result.isValid())
            result = ZXing::ReadBarcode(view, hints.setTryHarder(true));
        return result.isValid() ? zxingText(result) : QString();
    } catch (...) {
        return QString();
    }
}

QString decodeWithZbar(QImage image)
{
    using namespace zbar; // its C interface lives in this namespace under C++
    QString text;
    zbar_image_scanner_t *scanner = nullptr;
    zbar_image_t *zimage = nullptr;
    try {
        scanner = zbar_image_scanner_create();
        zbar_image_scanner_set_config(scanner, ZBAR_NONE, ZBAR_CFG_ENABLE, 1);
        const QImage grey = image.convertToFormat(QImage::Format_Grayscale8, Qt::MonoOnly);
        const int w = grey.width();
        const int h = grey.height();

        zimage = zbar_image_create();
        if (w && h)
            zbar_image_set_size(zimage, unsigned(w), unsigned(h));
        zbar_image_set_format(zimage, zbar_fourcc('Y', '8', '0', '0'));
        // Y800 rows follow each other without a gap; Qt pads them to 4 bytes.
        std::vector<uchar> packed;
        if (grey.constBits() && w && h) {
            const uchar *data = grey.constBits();
            if (grey.bytesPerLine() != w) {
                packed.resize(size_t(w) * size_t(h));
                for (int y = 0; y < h; ++y)
                    std::copy_n(grey.constScanLine(y), w, packed.begin() + ptrdiff_t(y) * w);
                data = packed.data();
            }
            zbar_image_set_data(zimage, data, size_t(w) * size_t(h), nullptr);
        }
        zbar_scan_image(scanner, zimage);

        const zbar_symbol_set_t *symbols = zbar_image_get_symbols(zimage);
        for (const zbar_symbol_t *symbol = symbols ? zbar_symbol_set_first_symbol(symbols) : nullptr; symbol;
             symbol = zbar_symbol_next(symbol))
            text = QString::fromUtf8(zbar_symbol_get_data(symbol), int(zbar_symbol_get_data_length(symbol)));
    } catch (...) {
        text.clear();
    }
    if (zimage) {
        // zbar only borrowed the buffer.
        zbar_image_set_data(zimage, nullptr, 0, nullptr);
        zbar_image_destroy(zimage);
    }
    if (scanner)
        zbar_image_scanner_destroy(scanner);
    return text;
}
